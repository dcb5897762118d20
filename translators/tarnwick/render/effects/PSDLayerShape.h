#ifndef PSD_LAYER_SHAPE_H
#define PSD_LAYER_SHAPE_H

// The rows of a layer's shape that its effects are made of, over the area
// they look at (their reach on the canvas and as far around as they see):
// the shape itself and the distance to its edge. Each row is made once, the
// first time it or a row below it is asked for, and held only while the
// effects may still ask for it, so that memory follows the area's width
// times the rows of a band and the effects' sight, never its height.

#include "PSDShapeSource.h"
#include <render/shape/PSDDistance.h>

#include <algorithm>
#include <vector>

// The rows of a plane an effect asks for while it makes its row y, as
// offsets from y.
struct PSDRowSpan {
	int32 low = 1;
	int32 high = 0; // below low: none

	bool Empty() const { return high < low; }
	int32 Rows() const { return Empty() ? 0 : high - low + 1; }
	void Add(int32 from, int32 to)
	{
		const bool none = Empty();
		low = none ? from : std::min(low, from);
		high = none ? to : std::max(high, to);
	}
};

// Rows of one plane over an area, made in order; the last `held` made stay
// readable.
class PSDEffectRows {
public:
	PSDEffectRows(const PSDRect& area, int32 held);
	virtual ~PSDEffectRows() {}

	// Row y (area.top <= y < area.bottom): the area's width of floats, valid
	// until a row `held` further down is asked for.
	const float* Row(int32 y);

protected:
	virtual void Make(int32 y, float* row) = 0;

	PSDRect fArea;
	size_t fWidth;

private:
	int32 fHeld;
	int32 fNext;
	std::vector<float> fRows;
};

class PSDLayerShape {
public:
	// Distances are right as far as `range` from the shape's edge; the
	// planes keep as many rows as they are given.
	PSDLayerShape(PSDShapeSource& source, const PSDRect& area, int32 range, int32 alphaRows,
	              int32 distanceRows);

	const PSDRect& Area() const { return fArea; }
	int32 Width() const { return fArea.right - fArea.left; }
	int32 Height() const { return fArea.bottom - fArea.top; }
	// The shape's row y.
	const float* Alpha(int32 y) { return fAlpha.Row(y); }
	// The distance from each pixel's centre to the shape's edge along row y,
	// negative inside.
	const float* Distance(int32 y) { return fDistance.Row(y); }
	// The box effects align with: the source's, or where it has none the box
	// of the shape's pixels in the area.
	PSDBounds Box();

private:
	class AlphaRows : public PSDEffectRows {
	public:
		AlphaRows(PSDShapeSource& source, const PSDRect& area, int32 held);

	protected:
		void Make(int32 y, float* row) override;

	private:
		PSDShapeSource& fSource;
		PSDRect fPainted;
	};

	class DistanceRows : public PSDEffectRows {
	public:
		DistanceRows(AlphaRows& alpha, const PSDRect& area, int32 range, int32 held);

	protected:
		void Make(int32 y, float* row) override;

	private:
		AlphaRows& fAlpha;
		int32 fRange;
		PSDRollingDistance fToInside;
		PSDRollingDistance fToOutside;
		std::vector<uint8> fSeeds;
		std::vector<float> fInward;
		std::vector<float> fOutward;
	};

	PSDShapeSource& fSource;
	PSDRect fArea;
	AlphaRows fAlpha;
	DistanceRows fDistance;
};

#endif
