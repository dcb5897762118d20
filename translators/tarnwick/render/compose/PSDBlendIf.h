#ifndef PSD_BLEND_IF_H
#define PSD_BLEND_IF_H

// A layer's "blend if" ranges: how much of it shows, by its own colour
// ("this layer") and by the colour below it ("underlying layer"). Each range
// is black low, black high, white low, white high on the 0-255 scale; a
// value between a low and its high shows in part.

#include <layers/PSDModel.h>
#include <render/PSDRenderTarget.h>

#include <vector>

class PSDBlendIf {
public:
	// From the layer's ranges: the composite gray pair, then a pair a
	// channel. Ranges that cut nothing, as in nearly every file, leave it
	// inactive.
	PSDBlendIf(const PSDBlendIfRanges& ranges, const PSDRenderTarget& target);

	bool Active() const { return fActive; }

	// Scales count alphas by how much the ranges let show at each pixel.
	// Where nothing lies below, the underlying ranges cut nothing.
	void Apply(const float* const source[], const float* const backdrop[],
	           const float* backdropAlpha, float* alpha, uint32 count) const;

private:
	struct Range {
		float blackLow = 0, blackHigh = 0, whiteLow = 255, whiteHigh = 255;

		float Weight(float value) const;
	};

	float Value(const float* const planes[], uint32 i, int index) const;

	int fColours;
	uint16 fMode;
	bool fActive = false;
	// Index 0 is the composite gray, 1 + c the colour channel c.
	Range fSource[6];
	Range fBelow[6];
	bool fUsed[6] = {};
};

#endif
