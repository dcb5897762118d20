// Channel mixer: each output channel a weighted sum of the input channels
// plus a constant; monochrome gives every channel the first output. CMYK
// documents mix amounts of ink.

#include "PSDAdjustmentKinds.h"
#include <layers/adjustments/PSDAdjustmentBytes.h>

#include <core/PSDCore.h>

#include <algorithm>

namespace {

// Each record: the weights of up to four input channels, then the constant.
const int kInputs = 4;
const int kRecords = 4;

struct Mix {
	double weight[kInputs];
	double constant;
};

class ChannelMixer : public PSDAdjustment {
public:
	ChannelMixer(const Mix* mixes, int colours, bool monochrome, bool ink)
	    : fMixes(mixes, mixes + kRecords), fColours(colours), fMonochrome(monochrome), fInk(ink)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			double in[kInputs] = {};
			for (int c = 0; c < fColours; c++)
				in[c] = fInk ? 1 - colour[c][i] : colour[c][i];
			for (int c = 0; c < fColours; c++) {
				const Mix& mix = fMixes[fMonochrome ? 0 : c];
				double out = mix.constant;
				for (int k = 0; k < fColours; k++)
					out += mix.weight[k] * in[k];
				out = std::min(1.0, std::max(0.0, out));
				colour[c][i] = (float)(fInk ? 1 - out : out);
			}
		}
	}

private:
	std::vector<Mix> fMixes;
	int fColours;
	bool fMonochrome;
	bool fInk;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdReadChannelMixer(const PSDBlockData& block,
                                                   const PSDRenderTarget& target)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	const bool monochrome = bytes.Big16() != 0;
	Mix mixes[kRecords] = {};
	const int records = std::min(kRecords, target.colours);
	for (int r = 0; r < records; r++) {
		// Percentages, -200 to 200 in Photoshop.
		for (double& weight : mixes[r].weight)
			weight = std::min(200, std::max(-200, (int)bytes.BigInt16())) / 100.0;
		mixes[r].constant = std::min(200, std::max(-200, (int)bytes.BigInt16())) / 100.0;
	}
	if (bytes.Failed())
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(new ChannelMixer(
	    mixes, std::min(target.colours, kInputs), monochrome, target.mode == PSD_MODE_CMYK));
}
