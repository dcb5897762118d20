// Photo filter: the colour multiplied by the filter's, as far as the density
// says; preserving luminosity puts the pixel's luminosity back.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <algorithm>

namespace {

class PhotoFilter : public PSDColorAdjustment {
public:
	PhotoFilter(const float filter[3], double density, bool preserveLuminosity, uint16 mode)
	    : PSDColorAdjustment(mode), fPreserveLuminosity(preserveLuminosity)
	{
		for (int c = 0; c < 3; c++)
			fScale[c] = 1 + (filter[c] - 1) * density;
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		float* const planes[3] = {red, green, blue};
		for (uint32 i = 0; i < count; i++) {
			double rgb[3];
			for (int c = 0; c < 3; c++)
				rgb[c] = planes[c][i] * fScale[c];
			if (fPreserveLuminosity)
				psdSetLuminosity(rgb, psdLuminosity(red[i], green[i], blue[i]));
			for (int c = 0; c < 3; c++)
				planes[c][i] = (float)std::min(1.0, std::max(0.0, rgb[c]));
		}
	}

private:
	double fScale[3];
	bool fPreserveLuminosity;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDPhotoFilterSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(new PhotoFilter(
	    settings.colour, settings.density, settings.preserveLuminosity, target.mode));
}
