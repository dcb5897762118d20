// Vibrance: saturation raised (or lowered) the more, the less saturated a
// colour is already; then a plain saturation change, as hue/saturation's.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <algorithm>
#include <cmath>

namespace {

class Vibrance : public PSDColorAdjustment {
public:
	Vibrance(double vibrance, double saturation, uint16 mode)
	    : PSDColorAdjustment(mode), fVibrance(vibrance), fSaturation(saturation)
	{
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			double rgb[3] = {red[i], green[i], blue[i]};
			const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
			const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
			const double spread = 1 - std::fabs(high + low - 1);
			const double saturation = spread > 0 ? (high - low) / spread : 0;
			psdStretchSaturation(rgb, psdSaturationStretch(fVibrance * (1 - saturation)));
			psdStretchSaturation(rgb, psdSaturationStretch(fSaturation));
			red[i] = (float)rgb[0];
			green[i] = (float)rgb[1];
			blue[i] = (float)rgb[2];
		}
	}

private:
	double fVibrance;
	double fSaturation;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDVibranceSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode) ||
	    (settings.vibrance == 0 && settings.saturation == 0))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(
	    new Vibrance(settings.vibrance / 100, settings.saturation / 100, target.mode));
}
