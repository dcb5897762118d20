// Outer and inner glows: a soft (blurred) or precise (by distance) edge
// spreading out from the shape, or in from its edge or out from its centre.

#include "PSDContour.h"
#include "PSDEffect.h"
#include "PSDEffectSpread.h"

#include <algorithm>
#include <cmath>

namespace {

class PSDGlow : public PSDEffect {
public:
	PSDGlow(const PSDEffectSettings& s, const PSDRenderTarget& t)
	    : PSDEffect(s, t), fInner(s.kind == PSD_EFFECT_INNER_GLOW), fSize(Size(s.size)),
	      fContour(s.contour)
	{
	}

	int32 Reach() const override
	{
		return psdBlurReach(psdEffectBlurRadius(fSize)) + (int32)std::ceil(fSize) + 2;
	}
	int32 DistanceRange() const override
	{
		return fSettings.precise ? (int32)std::ceil(fSize) + 2
		                         : PSDBlurredSpread::DistanceRange(fSize * fSettings.spread);
	}

	uint64 HeldBytes(int32 width) const override
	{
		return fSettings.precise
		           ? 0
		           : PSDBlurredSpread::HeldBytes(width, fSize * (1 - fSettings.spread));
	}

	void Looks(PSDRowSpan* alpha, PSDRowSpan* distance) const override
	{
		if (fSettings.precise)
			distance->Add(0, 0);
		else
			PSDBlurredSpread::Looks(fSize * fSettings.spread, fSize * (1 - fSettings.spread), 0,
			                        alpha, distance);
		if (fInner)
			alpha->Add(0, 0);
	}

	void Start(PSDLayerShape& shape) override
	{
		PSDEffect::Start(shape);
		if (!fSettings.precise)
			fSpread = std::make_unique<PSDBlurredSpread>(shape, fSize * fSettings.spread, fInner,
			                                             fSize * (1 - fSettings.spread));
	}

	const float* Row(int32 y) override
	{
		const int32 width = fShape->Width();
		if (fSpread) {
			const float* soft = fSpread->Row(y);
			std::copy(soft, soft + width, fCoverage.begin());
		} else {
			Precise(y);
		}
		if (fInner && fSettings.fromCentre) {
			for (int32 x = 0; x < width; x++)
				fCoverage[x] = 1 - fCoverage[x];
		}
		psdFinishCoverage(fContour, fInner, *fShape, y, fCoverage);
		return fCoverage.data();
	}

private:
	// Full strength as far as the spread, fading to nothing at the size.
	void Precise(int32 y)
	{
		const float* distance = fShape->Distance(y);
		const double solid = fSize * fSettings.spread;
		const double fade = std::max(1.0, fSize - solid);
		for (size_t x = 0; x < fCoverage.size(); x++) {
			const double d = (fInner ? -distance[x] : distance[x]) + 0.5;
			fCoverage[x] = (float)std::min(1.0, std::max(0.0, 1 - (d - solid) / fade));
		}
	}

	bool fInner;
	double fSize;
	PSDContour fContour;
	std::unique_ptr<PSDBlurredSpread> fSpread;
};

} // namespace

std::unique_ptr<PSDEffect> psdMakeGlow(const PSDEffectSettings& s, const PSDRenderTarget& t)
{
	return std::make_unique<PSDGlow>(s, t);
}
