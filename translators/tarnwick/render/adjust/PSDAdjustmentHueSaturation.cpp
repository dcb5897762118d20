// Hue/saturation: the hue turned, the saturation raised or lowered from the
// pixel's lightness, the lightness moved towards white or black; for the
// whole image and for six ranges of hue, each fading in and out over its
// edges. Colorize paints one hue and saturation over the lightness instead.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <algorithm>
#include <cmath>

namespace {

double around(double degrees)
{
	degrees = std::fmod(degrees, 360.0);
	return degrees < 0 ? degrees + 360 : degrees;
}

// How far a hue lies in the range: 1 from its begin to its end, fading to 0
// over its edges. A range's ends are whole degrees taken at their middles,
// half a degree in: Photoshop's fades start and end there.
double weight(const PSDHueRange& range, double hue)
{
	const double into = around(hue - 0.5 - range.fadeIn);
	const double rise = around(range.begin - range.fadeIn);
	const double full = rise + around(range.end - range.begin);
	const double fall = full + around(range.fadeOut - range.end);
	if (into < rise)
		return into / rise;
	if (into <= full)
		return 1;
	if (into < fall)
		return (fall - into) / (fall - full);
	return 0;
}

class HueSaturation : public PSDColorAdjustment {
public:
	HueSaturation(const PSDHueSaturationSettings& settings, uint16 mode)
	    : PSDColorAdjustment(mode), fSettings(settings)
	{
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			double rgb[3] = {red[i], green[i], blue[i]};
			if (fSettings.colorize)
				Colorize(rgb);
			else
				Adjust(rgb);
			red[i] = (float)rgb[0];
			green[i] = (float)rgb[1];
			blue[i] = (float)rgb[2];
		}
	}

private:
	void Adjust(double rgb[3]) const
	{
		// The ranges' settings first, as far as the pixel's hue lies in each,
		// then the master's. The ranges' saturations add up as stretches
		// (not as amounts: opposite amounts over one range do not cancel).
		double turn = 0, stretch = 0, lightness = 0;
		const double hue = psdHue(rgb);
		if (hue >= 0) {
			for (const PSDHueRange& range : fSettings.ranges) {
				const double share = weight(range, hue);
				turn += share * range.amounts.hue;
				stretch += share * psdSaturationStretch(range.amounts.saturation);
				lightness += share * range.amounts.lightness;
			}
		}
		Change(rgb, turn, stretch, lightness, true);
		const PSDHueSaturationAmounts& master = fSettings.master;
		Change(rgb, master.hue, psdSaturationStretch(master.saturation), master.lightness, false);
	}

	// Colorize paints its hue and saturation over the pixel's luminosity,
	// moved towards white or black.
	void Colorize(double rgb[3]) const
	{
		const PSDHueSaturationAmounts& colour = fSettings.colorization;
		double lightness = psdLuminosity((float)rgb[0], (float)rgb[1], (float)rgb[2]);
		if (colour.lightness > 0)
			lightness += (1 - lightness) * colour.lightness;
		else
			lightness *= 1 + colour.lightness;
		psdHSLToRGB(colour.hue, colour.saturation, lightness, rgb);
	}

	// A range's lightness moves the pixel towards its own lightest or darkest
	// channel, to a gray at +-1; the master's towards white or black.
	static void Change(double rgb[3], double turn, double stretch, double lightness, bool range)
	{
		if (turn != 0)
			psdRotateHue(rgb, turn);
		if (stretch != 0)
			psdStretchSaturation(rgb, stretch);
		lightness = std::min(1.0, std::max(-1.0, lightness));
		const double white = range ? std::max(rgb[0], std::max(rgb[1], rgb[2])) : 1;
		const double black = range ? std::min(rgb[0], std::min(rgb[1], rgb[2])) : 0;
		for (int c = 0; c < 3; c++) {
			if (lightness > 0)
				rgb[c] += (white - rgb[c]) * lightness;
			else
				rgb[c] = black + (rgb[c] - black) * (1 + lightness);
		}
	}

	PSDHueSaturationSettings fSettings;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDHueSaturationSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(new HueSaturation(settings, target.mode));
}
