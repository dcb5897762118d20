// Hue/saturation: the hue turned, the saturation raised or lowered from the
// pixel's lightness, the lightness moved towards white or black; for the
// whole image and for six ranges of hue, each fading in and out over its
// edges. Colorize paints one hue and saturation over the lightness instead.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"
#include <layers/adjustments/PSDAdjustmentBytes.h>

#include <algorithm>
#include <cmath>

namespace {

const int kRanges = 6;

struct Settings {
	double hue = 0;        // degrees
	double saturation = 0; // -1 to 1
	double lightness = 0;  // -1 to 1
};

// A range of hues: full effect from `begin` to `end`, fading in from
// `fadeIn` and out to `fadeOut`, all in degrees and going round.
struct Range {
	double fadeIn, begin, end, fadeOut;
	Settings settings;

	double Weight(double hue) const
	{
		const double into = Around(hue - fadeIn);
		const double rise = Around(begin - fadeIn);
		const double full = rise + Around(end - begin);
		const double fall = full + Around(fadeOut - end);
		if (into < rise)
			return into / rise;
		if (into <= full)
			return 1;
		if (into < fall)
			return (fall - into) / (fall - full);
		return 0;
	}

	static double Around(double degrees)
	{
		degrees = std::fmod(degrees, 360.0);
		return degrees < 0 ? degrees + 360 : degrees;
	}
};

class HueSaturation : public PSDColorAdjustment {
public:
	HueSaturation(const Settings& master, const Range* ranges, uint16 mode)
	    : PSDColorAdjustment(mode), fMaster(master), fRanges(ranges, ranges + kRanges)
	{
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			double rgb[3] = {red[i], green[i], blue[i]};
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
		// then the master's. The ranges' saturations add up as stretches.
		double turn = 0, stretch = 0, lightness = 0;
		const double hue = psdHue(rgb);
		if (hue >= 0) {
			for (const Range& range : fRanges) {
				const double weight = range.Weight(hue);
				turn += weight * range.settings.hue;
				stretch += weight * Stretch(range.settings.saturation);
				lightness += weight * range.settings.lightness;
			}
		}
		Change(rgb, turn, stretch, lightness, true);
		Change(rgb, fMaster.hue, Stretch(fMaster.saturation), fMaster.lightness, false);
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

	// How much further from its HSL lightness a saturation setting takes the
	// colour: lowering by a by a (-1 is gray), raising by 1 / (1 - a) - 1.
	static double Stretch(double amount)
	{
		return amount <= 0 ? amount : 1 / std::max(1 - amount, 1e-6) - 1;
	}

	Settings fMaster;
	std::vector<Range> fRanges;
};

class Colorize : public PSDColorAdjustment {
public:
	Colorize(const Settings& colour, uint16 mode) : PSDColorAdjustment(mode), fColour(colour) {}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			double lightness = psdLuminosity(red[i], green[i], blue[i]);
			if (fColour.lightness > 0)
				lightness += (1 - lightness) * fColour.lightness;
			else
				lightness *= 1 + fColour.lightness;
			double rgb[3];
			psdHSLToRGB(fColour.hue, fColour.saturation, lightness, rgb);
			red[i] = (float)rgb[0];
			green[i] = (float)rgb[1];
			blue[i] = (float)rgb[2];
		}
	}

private:
	Settings fColour;
};

Settings readSettings(PSDAdjustmentBytes& bytes)
{
	Settings settings;
	settings.hue = std::min(180, std::max(-180, (int)bytes.BigInt16()));
	settings.saturation = std::min(100, std::max(-100, (int)bytes.BigInt16())) / 100.0;
	settings.lightness = std::min(100, std::max(-100, (int)bytes.BigInt16())) / 100.0;
	return settings;
}

} // namespace

std::unique_ptr<PSDAdjustment> psdReadHueSaturation(const PSDBlockData& block,
                                                    const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode))
		return nullptr;
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	const bool colorize = bytes.Uint8() != 0;
	bytes.Uint8();
	Settings colour = readSettings(bytes);
	// Colorize's hue runs 0 to 360 and its saturation 0 to 100.
	colour.hue = Range::Around(colour.hue);
	colour.saturation = std::max(0.0, colour.saturation);
	const Settings master = readSettings(bytes);
	Range ranges[kRanges];
	for (Range& range : ranges) {
		range.fadeIn = bytes.BigInt16();
		range.begin = bytes.BigInt16();
		range.end = bytes.BigInt16();
		range.fadeOut = bytes.BigInt16();
		range.settings = readSettings(bytes);
	}
	if (bytes.Failed())
		return nullptr;
	if (colorize)
		return std::unique_ptr<PSDAdjustment>(new Colorize(colour, target.mode));
	return std::unique_ptr<PSDAdjustment>(new HueSaturation(master, ranges, target.mode));
}
