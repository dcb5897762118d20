#ifndef PSD_GRADIENT_FILL_H
#define PSD_GRADIENT_FILL_H

#include "PSDGradient.h"
#include "PSDGradientGeometry.h"
#include <layers/PSDGeometry.h>

#include <vector>

// A gradient fill, rendered for any canvas rectangle in the document's
// stored channel values, not premultiplied. Photoshop's dither ('Dthr') is
// left out: it only adds noise of under one level.
class PSDGradientFill {
public:
	// `layer` is the box the gradient aligns with (the vector mask's bounds
	// for a shape layer, else the document); a document pixel is `pixel`
	// canvas pixels.
	PSDGradientFill(const PSDGradientSettings& gradient, const PSDRect& document,
	                const PSDBounds& layer, double pixel = 1);

	int Channels() const { return fGradient.Channels(); }
	void SampleAt(double offset) { fGeometry.SampleAt(offset); }

	// Fills rect: channel c of pixel (x, y) goes to
	// planes[c][(y - rect.top) * stride + x - rect.left], its alpha likewise.
	void Render(const PSDRect& rect, float* const* planes, float* alpha, size_t stride) const;

private:
	void Sample(double t, float* color, float* alpha) const;

	PSDGradient fGradient;
	// The gradient at every 4096th of t, colour channels then alpha, so that
	// a pixel costs an interpolation rather than a curve and sRGB powers.
	std::vector<float> fTable;
	PSDGradientGeometry fGeometry;
};

#endif
