#include "PSDGradientFill.h"

#include <algorithm>
#include <cmath>

namespace {

const int kTableSteps = 4096;

} // namespace

PSDGradientFill::PSDGradientFill(const PSDGradientSettings& gradient, const PSDRect& document,
                                 const PSDBounds& layer, double pixel)
    : fGradient(gradient), fGeometry(gradient, layer, document, pixel)
{
	int entry = Channels() + 1;
	fTable.resize((size_t)(kTableSteps + 1) * entry);
	for (int i = 0; i <= kTableSteps; i++) {
		float* at = &fTable[(size_t)i * entry];
		fGradient.Evaluate((double)i / kTableSteps, at, at + entry - 1);
	}
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
