// Posterize: each channel cut into n equal bins, each shown as one of n
// values evenly spread from black to white.

#include "PSDAdjustmentKinds.h"

#include <algorithm>
#include <cmath>

namespace {

class Posterize : public PSDAdjustment {
public:
	Posterize(int levels, const PSDRenderTarget& target)
	    : fColours(target.colours), fLevels((float)levels), fEightBit(target.depth == 8)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (int c = 0; c < fColours; c++) {
			float* values = colour[c];
			for (uint32 i = 0; i < count; i++)
				values[i] = Level(values[i]);
		}
	}

private:
	float Level(float value) const
	{
		value = value > 0 ? (value < 1 ? value : 1) : 0;
		if (fEightBit) {
			// Photoshop's bins of the 256 byte values, and its values
			// rounded down to bytes.
			const float bin = std::floor(std::round(value * 255) * fLevels / 256);
			return std::floor(bin * 255 / (fLevels - 1)) / 255;
		}
		const float bin = std::min(fLevels - 1, std::floor(value * fLevels));
		return bin / (fLevels - 1);
	}

	int fColours;
	float fLevels;
	bool fEightBit;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDPosterizeSettings& settings,
                                                 const PSDRenderTarget& target)
{
	return std::unique_ptr<PSDAdjustment>(new Posterize(settings.levels, target));
}
