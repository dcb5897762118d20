// Threshold: pixels at least as bright as the level turn white, the others
// black, in every channel.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

namespace {

class Threshold : public PSDAdjustment {
public:
	Threshold(float level, int colours) : fLevel(level), fColours(colours) {}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			float rgb[3];
			psdPixelRGB(colour, fColours, i, rgb);
			const float value = psdLuminosity(rgb[0], rgb[1], rgb[2]) >= fLevel ? 1.0f : 0.0f;
			for (int c = 0; c < fColours; c++)
				colour[c][i] = value;
		}
	}

private:
	float fLevel;
	int fColours;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDThresholdSettings& settings,
                                                 const PSDRenderTarget& target)
{
	// A hair below the level, so that a byte value on it counts as reached
	// whatever the float rounding.
	return std::unique_ptr<PSDAdjustment>(
	    new Threshold((settings.level - 0.001f) / 255, target.colours));
}
