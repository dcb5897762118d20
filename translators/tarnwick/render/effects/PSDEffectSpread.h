#ifndef PSD_EFFECT_SPREAD_H
#define PSD_EFFECT_SPREAD_H

// The planes shadows, glows and satin are made of, row by row over the
// shape's area: the shape grown or shrunk and blurred, and rows moved.

#include "PSDContour.h"
#include "PSDLayerShape.h"
#include <render/shape/PSDBlur.h>

// The shape grown outward by `radius` pixels (shrunk where negative), or
// with `inverse` the same of the space around it, blurred by an effect size;
// beyond the area the plane's edge goes on.
class PSDBlurredSpread final : private PSDBlurSource {
public:
	PSDBlurredSpread(PSDLayerShape& shape, double radius, bool inverse, double size);

	// Canvas row y of the area; rows in order.
	const float* Row(int32 y) { return fBlur.Row(y - fShape.Area().top); }
	// How far from the shape's edge its distance must be right.
	static int32 DistanceRange(double radius);
	// The bytes its blur by an effect size holds over an area `width` wide.
	static uint64 HeldBytes(int32 width, double size);
	// The rows of the shape or its distance it asks for while its row y
	// moved by `offset` is made.
	static void Looks(double radius, double size, int32 offset, PSDRowSpan* alpha,
	                  PSDRowSpan* distance);

private:
	void ReadRow(int32 y, float* row) override;

	PSDLayerShape& fShape;
	double fRadius;
	bool fInverse;
	PSDRollingBlur fBlur;
};

// A row moved by dx whole pixels; what comes in from beyond is `outside`.
void psdShiftRow(const float* from, float* to, int32 width, int32 dx, float outside);

// A shadow's or glow's coverage row y finished: through its contour, then,
// for an inner one, kept inside the layer's shape.
void psdFinishCoverage(const PSDContour& contour, bool inner, PSDLayerShape& shape, int32 y,
                       std::vector<float>& coverage);

#endif
