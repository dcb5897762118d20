// Drop and inner shadows: the shape (or the space around it) grown by the
// spread, blurred by the rest of the size and moved away from the light.

#include "PSDEffect.h"
#include <render/shape/PSDBlur.h>

#include <layers/PSDDescriptor.h>

#include <cmath>
#include <new>

namespace {

const double kPi = 3.14159265358979323846;

class PSDShadow : public PSDEffect {
public:
	PSDShadow(PSDEffectStage stage, const PSDDescriptor& d, const PSDEffectContext& c)
	    : PSDEffect(stage, d, c), fSize(Size("blur", 0)), fDistance(Size("Dstn", 0)),
	      fSpread(std::min(1.0, std::max(0.0, d.Number("Ckmt", 0) / 100))),
	      fKnockedOut(d.Bool("layerConceals", true))
	{
		const double angle =
		    (d.Bool("uglg", true) ? c.globalAngle : d.Number("lagl", 120)) * kPi / 180;
		// The light comes from the angle; the shadow falls the other way.
		fDX = std::isfinite(angle) ? (int32)std::lround(-fDistance * std::cos(angle)) : 0;
		fDY = std::isfinite(angle) ? (int32)std::lround(fDistance * std::sin(angle)) : 0;
	}

	int32 Reach() const override
	{
		return psdBlurReach(psdEffectBlurRadius(fSize)) + (int32)std::ceil(fSize + fDistance) + 2;
	}

	status_t Prepare(PSDEffectShape& shape) override
	{
		const bool inner = Stage() == PSD_EFFECT_INNER_SHADOW;
		status_t status = shape.Grown(fSize * fSpread, inner, &fCoverage);
		if (status == B_OK)
			status = psdEffectBlur(shape, fCoverage, fSize * (1 - fSpread));
		if (status != B_OK)
			return status;
		psdEffectShift(shape, fCoverage, fDX, fDY, inner ? 1.0f : 0.0f);
		const PSDPlane& alpha = shape.Alpha();
		for (size_t i = 0; i < fCoverage.size(); i++) {
			if (inner)
				fCoverage[i] *= alpha[i];
			else if (fKnockedOut)
				fCoverage[i] *= 1 - alpha[i];
		}
		return SolidPaint();
	}

private:
	double fSize;
	double fDistance;
	double fSpread;
	bool fKnockedOut;
	int32 fDX = 0;
	int32 fDY = 0;
};

} // namespace

std::unique_ptr<PSDEffect> psdDropShadow(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDShadow(PSD_EFFECT_DROP_SHADOW, d, c));
}

std::unique_ptr<PSDEffect> psdInnerShadow(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDShadow(PSD_EFFECT_INNER_SHADOW, d, c));
}
