#include "PSDGradientFill.h"

#include "PSDCore.h"
#include "PSDDescriptor.h"

bool PSDGradientFill::Init(const PSDDescriptor& fill, uint16 mode, const PSDRect& document,
                           const PSDRect& layer)
{
	const PSDDescriptor* gradient = fill.Child("Grad");
	// Newer files name how the colour blends; "Linear" means in linear light,
	// which only RGB and grayscale values have.
	bool linearLight = fill.Enum("gradientsInterpolationMethod") == "Lnr " &&
	                   (mode == PSD_MODE_RGB || mode == PSD_MODE_GRAYSCALE);
	return gradient != nullptr && fGradient.SetFromDescriptor(*gradient, mode, linearLight) &&
	       PSDGradientGeometry::FromDescriptor(fill, layer, document, &fGeometry);
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
			fGradient.Evaluate(fGeometry.At(x, y), color, &alpha[at]);
			for (int c = 0; c < channels; c++)
				planes[c][at] = color[c];
		}
	}
}
