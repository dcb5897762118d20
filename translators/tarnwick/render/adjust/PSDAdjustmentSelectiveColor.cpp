// Selective colour: cyan, magenta, yellow and black ink added or taken away
// for pixels of nine kinds: the primaries and secondaries by how far a pixel's
// strongest channels lead, whites, neutrals and blacks by its lightest and
// darkest channels. Relative changes scale with the ink already there.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <algorithm>
#include <cmath>

namespace {

enum { kReds, kYellows, kGreens, kCyans, kBlues, kMagentas, kWhites, kNeutrals, kBlacks, kKinds };

class SelectiveColor : public PSDColorAdjustment {
public:
	SelectiveColor(const double inks[kKinds][4], bool relative, uint16 mode)
	    : PSDColorAdjustment(mode), fRelative(relative)
	{
		std::copy(&inks[0][0], &inks[0][0] + kKinds * 4, &fInks[0][0]);
	}

	void ApplyRGB(float* red, float* green, float* blue, uint32 count) const override
	{
		float* const planes[3] = {red, green, blue};
		for (uint32 i = 0; i < count; i++) {
			double rgb[3] = {red[i], green[i], blue[i]};
			double weights[kKinds];
			Weigh(rgb, weights);
			double ink[3];
			for (int c = 0; c < 3; c++) {
				const double start = 1 - rgb[c];
				double change = 0;
				for (int k = 0; k < kKinds; k++) {
					if (weights[k] <= 0)
						continue;
					// This ink's own change, then black's, which adds to all.
					const double scale = fRelative ? start : 1;
					change += weights[k] * (fInks[k][c] + fInks[k][3]) * scale;
				}
				ink[c] = std::min(1.0, std::max(0.0, start + change));
			}
			for (int c = 0; c < 3; c++)
				planes[c][i] = (float)(1 - ink[c]);
		}
	}

private:
	static void Weigh(const double rgb[3], double weights[kKinds])
	{
		std::fill(weights, weights + kKinds, 0.0);
		const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
		const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
		const double middle = rgb[0] + rgb[1] + rgb[2] - high - low;
		const int primaries[3] = {kReds, kGreens, kBlues};
		const int primary = high == rgb[0] ? 0 : high == rgb[1] ? 1 : 2;
		weights[primaries[primary]] = high - middle;
		int secondary;
		if (low == rgb[2])
			secondary = kYellows;
		else if (low == rgb[0])
			secondary = kCyans;
		else
			secondary = kMagentas;
		weights[secondary] = middle - low;
		weights[kWhites] = low > 0.5 ? (low - 0.5) * 2 : 0;
		weights[kBlacks] = high < 0.5 ? (0.5 - high) * 2 : 0;
		weights[kNeutrals] = std::max(0.0, 1 - (std::fabs(high - 0.5) + std::fabs(low - 0.5)));
	}

	double fInks[kKinds][4];
	bool fRelative;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDSelectiveColorSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (!PSDColorAdjustment::Handles(target.mode))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(
	    new SelectiveColor(settings.inks, settings.relative, target.mode));
}
