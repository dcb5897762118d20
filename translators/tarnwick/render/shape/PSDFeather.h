#ifndef PSD_FEATHER_H
#define PSD_FEATHER_H

// A layer mask feathered band by band. The sharp mask is read once, a row at
// a time, onto a grid no finer than the blur needs; each band blurs the
// window of grid rows around it, so memory follows the width and the blur's
// reach, never the mask's area, and no row is read twice.

#include <layers/PSDGeometry.h>

#include <SupportDefs.h>

#include <cstddef>
#include <functional>
#include <vector>

class PSDFeatheredMask {
public:
	// Gives the sharp mask's canvas row y over columns [left, left + count).
	typedef std::function<void(int32 y, int32 left, int32 count, float* row)> SharpRows;

	// The mask over canvas columns [left, right), blurred by radius canvas
	// pixels (at most kPSDBlurMaxRadius); beyond the columns the sharp rows
	// cover, it is `outside`.
	PSDFeatheredMask(int32 left, int32 right, double radius, float outside, SharpRows sharp);

	// The canvas pixels of area (inside the columns), rows stride floats
	// apart. Areas come top to bottom, each no higher than the last.
	void Rows(const PSDRect& area, float* plane, size_t stride);

	// How far past a canvas area the sharp mask is read.
	int32 Reach() const { return fCanvasReach; }

private:
	void Produce(int32 gridRow);
	const float* GridRow(int32 gridRow) const;

	int32 fLeft, fRight;
	float fOutside;
	SharpRows fSharp;
	double fScale;      // grid pixels per canvas pixel
	double fGridRadius; // the blur on the grid
	int32 fReach;       // of the blur, in grid pixels
	int32 fCanvasReach;
	int32 fGridLeft; // the grid's first column
	int32 fGridWidth;
	int32 fSharpLeft; // the canvas columns the sharp rows are read over
	int32 fSharpCount;
	std::vector<int32> fColumnStarts; // canvas columns of each grid column, from fSharpLeft
	// Grid rows [fFirstRow, fFirstRow + rows held), oldest first.
	std::vector<float> fRows;
	int32 fFirstRow;
	int32 fHeld;
	int32 fCapacity;
	std::vector<float> fSharpRow;
	std::vector<float> fSum;
	std::vector<float> fWindow;
};

#endif
