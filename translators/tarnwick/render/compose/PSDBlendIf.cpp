#include "PSDBlendIf.h"

#include <core/PSDCore.h>

#include <algorithm>

PSDBlendIf::PSDBlendIf(const PSDBlendIfRanges& ranges, const PSDRenderTarget& target)
    : fColours(std::min(target.colours, 5)), fMode(target.mode)
{
	// Lab documents have no composite gray to speak of.
	const int first = fMode == PSD_MODE_LAB ? 1 : 0;
	for (int index = first; index <= fColours && index < ranges.count; index++) {
		const PSDBlendIfRange* pair[2] = {&ranges.source[index], &ranges.below[index]};
		Range* kept[2] = {&fSource[index], &fBelow[index]};
		for (int k = 0; k < 2; k++) {
			kept[k]->blackLow = pair[k]->blackLow;
			kept[k]->blackHigh = pair[k]->blackHigh;
			kept[k]->whiteLow = pair[k]->whiteLow;
			kept[k]->whiteHigh = pair[k]->whiteHigh;
		}
		fUsed[index] = !ranges.source[index].CutsNothing() || !ranges.below[index].CutsNothing();
		fActive = fActive || fUsed[index];
	}
}

float PSDBlendIf::Range::Weight(float value) const
{
	float up = value >= blackHigh ? 1.0f
	           : value < blackLow ? 0.0f
	                              : (value - blackLow) / (blackHigh - blackLow);
	float down = value <= whiteLow   ? 1.0f
	             : value > whiteHigh ? 0.0f
	                                 : (whiteHigh - value) / (whiteHigh - whiteLow);
	return std::min(up, down);
}

// A pixel's value on the 0-255 scale the ranges use.
float PSDBlendIf::Value(const float* const planes[], uint32 i, int index) const
{
	if (index > 0)
		return planes[index - 1][i] * 255;
	float gray;
	if (fColours >= 4) {
		// CMYK stores ink inverted: a stored value is how much light passes.
		const float k = planes[3][i];
		gray = (0.30f * planes[0][i] + 0.59f * planes[1][i] + 0.11f * planes[2][i]) * k;
	} else if (fColours == 3) {
		gray = 0.30f * planes[0][i] + 0.59f * planes[1][i] + 0.11f * planes[2][i];
	} else {
		gray = planes[0][i];
	}
	return gray * 255;
}

void PSDBlendIf::Apply(const float* const source[], const float* const backdrop[],
                       const float* backdropAlpha, float* alpha, uint32 count) const
{
	if (!fActive)
		return;
	for (uint32 i = 0; i < count; i++) {
		if (alpha[i] <= 0)
			continue;
		float own = 1, below = 1;
		for (int index = 0; index <= fColours; index++) {
			if (!fUsed[index])
				continue;
			own *= fSource[index].Weight(Value(source, i, index));
			below *= fBelow[index].Weight(Value(backdrop, i, index));
		}
		alpha[i] *= own * (1 + (below - 1) * backdropAlpha[i]);
	}
}
