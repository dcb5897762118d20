// Colour balance: each channel pushed towards its colour or its complement,
// by separate amounts for shadows, midtones and highlights that fade into
// each other; preserving luminosity puts the pixel's luminosity back.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <algorithm>

namespace {

enum { kShadows, kMidtones, kHighlights, kTones };

double clamp01(double value)
{
	return std::min(1.0, std::max(0.0, value));
}

// How much of each tonal range a value belongs to.
void toneWeights(double v, double weights[kTones])
{
	const double fade = 0.25, edge = 0.333, scale = 0.7;
	weights[kShadows] = clamp01((v - edge) / -fade + 0.5) * scale;
	weights[kMidtones] =
	    clamp01((v - edge) / fade + 0.5) * clamp01((v + edge - 1) / -fade + 0.5) * scale;
	weights[kHighlights] = clamp01((v + edge - 1) / fade + 0.5) * scale;
}

class ColorBalance : public PSDColorAdjustment {
public:
	ColorBalance(const double amounts[kTones][3], bool preserveLuminosity, uint16 mode)
	    : PSDColorAdjustment(mode), fPreserveLuminosity(preserveLuminosity)
	{
		std::copy(&amounts[0][0], &amounts[0][0] + kTones * 3, &fAmounts[0][0]);
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		float* const planes[3] = {red, green, blue};
		for (uint32 i = 0; i < count; i++) {
			double rgb[3];
			for (int c = 0; c < 3; c++) {
				const double v = planes[c][i];
				double weights[kTones];
				toneWeights(v, weights);
				double shifted = v;
				for (int t = 0; t < kTones; t++)
					shifted += fAmounts[t][c] * weights[t];
				rgb[c] = clamp01(shifted);
			}
			if (fPreserveLuminosity)
				psdSetLuminosity(rgb, psdLuminosity(red[i], green[i], blue[i]));
			for (int c = 0; c < 3; c++)
				planes[c][i] = (float)clamp01(rgb[c]);
		}
	}

private:
	double fAmounts[kTones][3]; // cyan-red, magenta-green, yellow-blue
	bool fPreserveLuminosity;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDColorBalanceSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(
	    new ColorBalance(settings.amounts, settings.preserveLuminosity, target.mode));
}
