#include "PSDGradientFill.h"

#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <cmath>

namespace {

const int kTableSteps = 4096;

} // namespace

bool PSDGradientFill::Init(const PSDDescriptor& fill, uint16 mode, const PSDRect& document,
                           const PSDRect& layer)
{
	const PSDDescriptor* gradient = fill.Child("Grad");
	// Newer files name how the colour blends; "Linear" means in linear light,
	// which only RGB and grayscale values have.
	bool linearLight = fill.Enum("gradientsInterpolationMethod") == "Lnr " &&
	                   (mode == PSD_MODE_RGB || mode == PSD_MODE_GRAYSCALE);
	if (gradient == nullptr || !fGradient.SetFromDescriptor(*gradient, mode, linearLight) ||
	    !PSDGradientGeometry::FromDescriptor(fill, layer, document, &fGeometry))
		return false;
	int entry = Channels() + 1;
	fTable.resize((size_t)(kTableSteps + 1) * entry);
	for (int i = 0; i <= kTableSteps; i++) {
		float* at = &fTable[(size_t)i * entry];
		fGradient.Evaluate((double)i / kTableSteps, at, at + entry - 1);
	}
	return true;
}

void PSDGradientFill::Sample(double t, float* color, float* alpha) const
{
	int entry = Channels() + 1;
	double position = (t > 0 ? std::fmin(t, 1.0) : 0.0) * kTableSteps;
	int i = std::min((int)position, kTableSteps - 1);
	float fraction = (float)(position - i);
	const float* a = &fTable[(size_t)i * entry];
	const float* b = a + entry;
	for (int c = 0; c < entry - 1; c++)
		color[c] = a[c] + (b[c] - a[c]) * fraction;
	*alpha = a[entry - 1] + (b[entry - 1] - a[entry - 1]) * fraction;
}

void PSDGradientFill::Render(const PSDRect& rect, float* const* planes, float* alpha,
                             size_t stride) const
{
	int channels = Channels();
	float color[PSD_GRADIENT_MAX_CHANNELS];
	for (int32 y = rect.top; y < rect.bottom; y++) {
		size_t row = (size_t)(y - rect.top) * stride;
		for (int32 x = rect.left; x < rect.right; x++) {
			size_t at = row + (size_t)(x - rect.left);
			Sample(fGeometry.At(x, y), color, &alpha[at]);
			for (int c = 0; c < channels; c++)
				planes[c][at] = color[c];
		}
	}
}
