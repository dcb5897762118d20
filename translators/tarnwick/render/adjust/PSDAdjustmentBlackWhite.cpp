// Black & white: the gray of a pixel from its darkest channel, plus what its
// hue adds: the weight of the secondary colour (yellow, cyan, magenta) its two
// strongest channels make over their lead on the weakest, and of the primary
// its strongest channel is over its lead on the middle one. A tint then
// colours the gray, keeping its luminosity.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <algorithm>

namespace {

enum { kRed, kYellow, kGreen, kCyan, kBlue, kMagenta, kHues };

class BlackWhite : public PSDColorAdjustment {
public:
	BlackWhite(const double weights[kHues], const float* tint, uint16 mode)
	    : PSDColorAdjustment(mode), fTinted(tint != nullptr)
	{
		std::copy(weights, weights + kHues, fWeights);
		for (int c = 0; c < 3; c++)
			fTint[c] = tint != nullptr ? tint[c] : 0;
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			const double gray = std::min(1.0, std::max(0.0, Gray(red[i], green[i], blue[i])));
			double rgb[3] = {gray, gray, gray};
			if (fTinted) {
				std::copy(fTint, fTint + 3, rgb);
				psdSetLuminosity(rgb, gray);
			}
			red[i] = (float)rgb[0];
			green[i] = (float)rgb[1];
			blue[i] = (float)rgb[2];
		}
	}

private:
	double Gray(double r, double g, double b) const
	{
		const double high = std::max(r, std::max(g, b));
		const double low = std::min(r, std::min(g, b));
		const double middle = r + g + b - high - low;
		const int primary = high == r ? kRed : high == g ? kGreen : kBlue;
		int secondary;
		if (low == b)
			secondary = kYellow;
		else if (low == r)
			secondary = kCyan;
		else
			secondary = kMagenta;
		return low + (middle - low) * fWeights[secondary] + (high - middle) * fWeights[primary];
	}

	double fWeights[kHues];
	bool fTinted;
	double fTint[3];
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDBlackWhiteSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(
	    new BlackWhite(settings.weights, settings.tinted ? settings.tint : nullptr, target.mode));
}
