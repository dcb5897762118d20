#ifndef PSD_SCALED_ROWS_H
#define PSD_SCALED_ROWS_H

// A channel's rows on the canvas. At full size they are its own rows; on a
// canvas scaled down, each canvas pixel is the mean of the document pixels
// whose centres fall in it, read a row at a time.

#include <render/PSDRenderSource.h>
#include <render/PSDRenderTarget.h>

#include <memory>
#include <vector>

class PSDScaledRows {
public:
	// How pixels outside the channel's rectangle count: colour is the mean
	// of the pixels inside; coverage counts those outside as `outside`.
	enum Kind { kColour, kCoverage };

	// The channel covers `rect` (document pixels) and its rows are read for
	// the canvas pixels `window`.
	PSDScaledRows(PSDRenderSource& source, const PSDLayerChannel& channel, const PSDRect& rect,
	              const PSDRect& window, const PSDRenderTarget& target, Kind kind,
	              float outside = 0);

	// Canvas row y (inside the window) over the window's columns.
	void Row(int32 y, float* out);

private:
	PSDRect fRect;
	PSDRect fWindow;
	PSDRect fDocumentWindow; // the document pixels read, inside fRect
	PSDRenderTarget fTarget;
	Kind fKind;
	float fOutside;
	std::unique_ptr<PSDRowSource> fRows;
	std::vector<int32> fColumnOf;  // canvas column of each document column read
	std::vector<float> fFootprint; // document columns in each canvas column
	std::vector<float> fInside;    // of those, read ones
	std::vector<float> fRow;
	std::vector<float> fSum;
};

#endif
