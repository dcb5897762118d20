// Channel mixer: each output channel a weighted sum of the input channels
// plus a constant; monochrome gives every channel the first output. CMYK
// documents mix amounts of ink.

#include "PSDAdjustmentKinds.h"

#include <core/PSDCore.h>

#include <algorithm>

namespace {

class ChannelMixer : public PSDAdjustment {
public:
	ChannelMixer(std::vector<PSDChannelMix> mixes, int colours, bool monochrome, bool ink)
	    : fMixes(std::move(mixes)), fColours(colours), fMonochrome(monochrome), fInk(ink)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			double in[PSD_ADJUSTMENT_MOST_COLOURS] = {};
			for (int c = 0; c < fColours; c++)
				in[c] = fInk ? 1 - colour[c][i] : colour[c][i];
			for (int c = 0; c < fColours; c++) {
				const PSDChannelMix& mix = fMixes[fMonochrome ? 0 : c];
				double out = mix.constant;
				for (int k = 0; k < fColours; k++)
					out += mix.weight[k] * in[k];
				out = std::min(1.0, std::max(0.0, out));
				colour[c][i] = (float)(fInk ? 1 - out : out);
			}
		}
	}

private:
	std::vector<PSDChannelMix> fMixes;
	int fColours;
	bool fMonochrome;
	bool fInk;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDChannelMixerSettings& settings,
                                                 const PSDRenderTarget& target)
{
	const int colours = std::min(target.colours, PSD_ADJUSTMENT_MOST_COLOURS);
	if (settings.mixes.size() < (size_t)colours)
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(new ChannelMixer(
	    settings.mixes, colours, settings.monochrome, target.mode == PSD_MODE_CMYK));
}
