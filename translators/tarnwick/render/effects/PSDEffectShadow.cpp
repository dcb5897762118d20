// Drop and inner shadows: the shape (or the space around it) grown by the
// spread, blurred by the rest of the size and moved away from the light.

#include "PSDContour.h"
#include "PSDEffect.h"
#include "PSDEffectSpread.h"

#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

class PSDShadow : public PSDEffect {
public:
	PSDShadow(const PSDEffectSettings& s, const PSDRenderTarget& t)
	    : PSDEffect(s, t), fInner(s.kind == PSD_EFFECT_INNER_SHADOW), fSize(Size(s.size)),
	      fDistance(Size(s.distance)), fContour(s.contour)
	{
		const double angle = s.angle * kPi / 180;
		// The light comes from the angle; the shadow falls the other way.
		fDX = std::isfinite(angle) ? (int32)std::lround(-fDistance * std::cos(angle)) : 0;
		fDY = std::isfinite(angle) ? (int32)std::lround(fDistance * std::sin(angle)) : 0;
	}

	int32 Reach() const override
	{
		return psdBlurReach(psdEffectBlurRadius(fSize)) + (int32)std::ceil(fSize + fDistance) + 2;
	}
	int32 DistanceRange() const override
	{
		return PSDBlurredSpread::DistanceRange(fSize * fSettings.spread);
	}
	uint64 HeldBytes(int32 width) const override
	{
		return PSDBlurredSpread::HeldBytes(width, fSize * (1 - fSettings.spread));
	}
	bool KnockedOut() const override { return !fInner && fSettings.knockedOut; }

	void Looks(PSDRowSpan* alpha, PSDRowSpan* distance) const override
	{
		PSDBlurredSpread::Looks(fSize * fSettings.spread, fSize * (1 - fSettings.spread), -fDY,
		                        alpha, distance);
		alpha->Add(0, 0);
	}

	void Start(PSDLayerShape& shape) override
	{
		PSDEffect::Start(shape);
		fSpread = std::make_unique<PSDBlurredSpread>(shape, fSize * fSettings.spread, fInner,
		                                             fSize * (1 - fSettings.spread));
	}

	const float* Row(int32 y) override
	{
		const PSDRect& area = fShape->Area();
		const int32 width = fShape->Width();
		const float outside = fInner ? 1.0f : 0.0f;
		const int32 from = y - fDY;
		if (from < area.top || from >= area.bottom)
			std::fill(fCoverage.begin(), fCoverage.end(), outside);
		else
			psdShiftRow(fSpread->Row(from), fCoverage.data(), width, fDX, outside);
		// A drop shadow the layer knocks out is cut where the layer is drawn
		// (PSDEffect::KnocksOut).
		psdFinishCoverage(fContour, fInner, *fShape, y, fCoverage);
		return fCoverage.data();
	}

private:
	bool fInner;
	double fSize;
	double fDistance;
	PSDContour fContour;
	int32 fDX = 0;
	int32 fDY = 0;
	std::unique_ptr<PSDBlurredSpread> fSpread;
};

} // namespace

std::unique_ptr<PSDEffect> psdMakeShadow(const PSDEffectSettings& s, const PSDRenderTarget& t)
{
	return std::make_unique<PSDShadow>(s, t);
}
