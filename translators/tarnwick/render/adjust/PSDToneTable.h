#ifndef PSD_TONE_TABLE_H
#define PSD_TONE_TABLE_H

// Per-channel adjustments (levels, curves, brightness and contrast, exposure)
// as tables: a channel's transfer function over [0, 1] sampled at evenly
// spaced points and read with linear interpolation, so that a pixel costs a
// lookup whatever the function, and floats keep their precision between the
// samples.

#include "PSDAdjustment.h"

#include <cmath>

#include <vector>

class PSDToneTable {
public:
	static const int kSteps = 4096;

	PSDToneTable(); // the identity
	// Samples f(x) for x in [0, 1]; results are clamped to [0, 1].
	template <class Function> static PSDToneTable From(Function f)
	{
		PSDToneTable table;
		for (int i = 0; i <= kSteps; i++)
			table.fSamples[i] = Clamp(f((double)i / kSteps));
		return table;
	}

	float Map(float value) const
	{
		value = value > 0 ? (value < 1 ? value : 1) : 0; // NaN too
		const float position = value * kSteps;
		const int index = (int)position;
		if (index >= kSteps)
			return fSamples[kSteps];
		const float fraction = position - index;
		return fSamples[index] + (fSamples[index + 1] - fSamples[index]) * fraction;
	}

private:
	static float Clamp(double value) { return (float)(value > 0 ? (value < 1 ? value : 1) : 0); }

	std::vector<float> fSamples;
};

// Photoshop computes an 8-bit document's per-channel adjustments as tables of
// whole levels, rounding after every step (the corpus's levels and curves
// show it); other depths keep every value. Rounding the input first makes a
// table constant over each level, so that its samples read back exactly.
class PSDToneStep {
public:
	explicit PSDToneStep(const PSDRenderTarget& target) : fLevels(target.depth == 8 ? 255 : 0) {}
	double operator()(double value) const
	{
		return fLevels > 0 ? std::round(value * fLevels) / fLevels : value;
	}

private:
	int fLevels;
};

// One table for each colour channel of the document.
class PSDToneAdjustment : public PSDAdjustment {
public:
	explicit PSDToneAdjustment(std::vector<PSDToneTable> tables) : fTables(std::move(tables)) {}
	void Apply(float* const colour[], uint32 count) const override;

private:
	std::vector<PSDToneTable> fTables;
};

#endif
