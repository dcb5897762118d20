#ifndef PSD_GRADIENT_FILL_H
#define PSD_GRADIENT_FILL_H

#include "PSDGradient.h"
#include "PSDGradientGeometry.h"
#include <layers/PSDGeometry.h>

#include <vector>

class PSDDescriptor;

// A gradient fill layer ('GdFl'), rendered for any canvas rectangle in the
// document's stored channel values, not premultiplied. Photoshop's dither
// ('Dthr') is left out: it only adds noise of under one level.
class PSDGradientFill {
public:
	// `fill` is the block's descriptor; `layer` the box the gradient aligns
	// with (the vector mask's bounds for a shape layer, else the document).
	// False for what cannot be drawn: noise gradients, unknown shapes, modes
	// without colour conversion.
	bool Init(const PSDDescriptor& fill, uint16 mode, const PSDRect& document,
	          const PSDRect& layer);

	int Channels() const { return fGradient.Channels(); }
	void SampleCentres() { fGeometry.SampleCentres(); }

	// Fills rect: channel c of pixel (x, y) goes to
	// planes[c][(y - rect.top) * stride + x - rect.left], its alpha likewise.
	void Render(const PSDRect& rect, float* const* planes, float* alpha, size_t stride) const;

private:
	void Sample(double t, float* color, float* alpha) const;

	PSDGradient fGradient;
	// The gradient at every 4096th of t, colour channels then alpha, so that
	// a pixel costs an interpolation rather than a curve and sRGB powers.
	std::vector<float> fTable;
	PSDGradientGeometry fGeometry{PSD_GRADIENT_LINEAR, 0, 1, 0, 0, false, {0, 0, 0, 0}};
};

#endif
