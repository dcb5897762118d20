// Gradient map: each pixel's luminosity picks its colour from a gradient,
// black end first (or reversed).

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"
#include <render/paint/PSDGradient.h>

#include <algorithm>

namespace {

class GradientMap : public PSDAdjustment {
public:
	GradientMap(const PSDGradientMapSettings& settings, int colours)
	    : fRamp(Stops(settings), colours, settings.smoothness), fColours(colours),
	      fReversed(settings.reversed), fLinear(settings.linear)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			float rgb[3];
			psdPixelRGB(colour, fColours, i, rgb);
			double t = std::min(1.0f, std::max(0.0f, psdLuminosity(rgb[0], rgb[1], rgb[2])));
			if (fReversed)
				t = 1 - t;
			float value[PSD_GRADIENT_MAX_CHANNELS];
			fRamp.Evaluate(t, value);
			for (int c = 0; c < fColours; c++)
				colour[c][i] = fLinear ? psdSRGBEncode(value[c]) : value[c];
		}
	}

private:
	// The stops' colours, in linear light where the gradient blends in it.
	static std::vector<PSDGradientStop> Stops(const PSDGradientMapSettings& settings)
	{
		std::vector<PSDGradientStop> stops;
		for (const PSDGradientMapStop& stop : settings.stops) {
			PSDGradientStop ramp = {stop.location, stop.midpoint, {0, 0, 0, 0}};
			for (int c = 0; c < settings.channels; c++)
				ramp.value[c] = settings.linear ? psdSRGBDecode(stop.colour[c]) : stop.colour[c];
			stops.push_back(ramp);
		}
		return stops;
	}

	PSDGradientRamp fRamp;
	int fColours;
	bool fReversed;
	bool fLinear;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDGradientMapSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (settings.stops.empty() || settings.channels != target.colours)
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(new GradientMap(settings, target.colours));
}
