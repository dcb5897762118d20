// Strokes: the band of the given width outside, inside or across the
// shape's edge, by the exact distance to that edge, and overlays, which
// cover the shape itself.

#include "PSDEffect.h"

#include <algorithm>
#include <cmath>

namespace {

// How much of a pixel whose centre lies at distance d from the edge falls
// between low and high (distances, negative inside).
inline float overlap(double d, double low, double high)
{
	return (float)std::max(0.0, std::min(d + 0.5, high) - std::max(d - 0.5, low));
}

class PSDStrokeEffect : public PSDEffect {
public:
	PSDStrokeEffect(const PSDEffectSettings& s, const PSDRenderTarget& t)
	    : PSDEffect(s, t), fSize(Size(s.size))
	{
		if (s.position == PSD_STROKE_INSIDE) {
			fLow = -fSize;
		} else if (s.position == PSD_STROKE_CENTRE) {
			fLow = -fSize / 2;
			fHigh = fSize / 2;
		} else {
			fHigh = fSize;
		}
	}

	int32 Reach() const override { return (int32)std::ceil(fHigh) + 1; }
	bool UnderPixels() const override { return fLow >= 0; }
	const float* Knockout() const override { return fLow < 0 ? fKnockout.data() : nullptr; }
	int32 Sight() const override { return (int32)std::ceil(fSize) + 2; }
	int32 DistanceRange() const override { return Sight(); }
	void Looks(PSDRowSpan* alpha, PSDRowSpan* distance) const override
	{
		alpha->Add(0, 0);
		distance->Add(0, 0);
	}

	void Start(PSDLayerShape& shape) override
	{
		PSDEffect::Start(shape);
		fKnockout.resize(fCoverage.size());
	}

	const float* Row(int32 y) override
	{
		const float* distance = fShape->Distance(y);
		const float* alpha = fShape->Alpha(y);
		for (size_t x = 0; x < fCoverage.size(); x++) {
			float c = overlap(distance[x], fLow, fHigh);
			// Outside the shape the stroke meets its edge without a seam.
			if (fLow >= 0 && alpha[x] < 1)
				c = std::min(1.0f, c / (1 - alpha[x]));
			fCoverage[x] = c;
			// Of the shape's part of the pixel, the stroke takes as much.
			if (fLow < 0)
				fKnockout[x] = alpha[x] > c ? c / alpha[x] : (c > 0 ? 1.0f : 0.0f);
		}
		return fCoverage.data();
	}

private:
	double fSize;
	double fLow = 0;
	double fHigh = 0;
	std::vector<float> fKnockout;
};

class PSDOverlayEffect : public PSDEffect {
public:
	using PSDEffect::PSDEffect;

	int32 Reach() const override { return 0; }
	void Looks(PSDRowSpan* alpha, PSDRowSpan*) const override { alpha->Add(0, 0); }

	const float* Row(int32 y) override
	{
		const float* alpha = fShape->Alpha(y);
		std::copy(alpha, alpha + fCoverage.size(), fCoverage.begin());
		return fCoverage.data();
	}
};

} // namespace

std::unique_ptr<PSDEffect> psdMakeStroke(const PSDEffectSettings& s, const PSDRenderTarget& t)
{
	return std::make_unique<PSDStrokeEffect>(s, t);
}

std::unique_ptr<PSDEffect> psdMakeOverlay(const PSDEffectSettings& s, const PSDRenderTarget& t)
{
	return std::make_unique<PSDOverlayEffect>(s, t);
}
