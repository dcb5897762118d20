// Satin: the shape moved both ways along the angle, blurred, and the
// difference of the two inside the shape (or its inverse).

#include "PSDEffect.h"
#include <render/shape/PSDBlur.h>

#include <layers/PSDDescriptor.h>

#include <cmath>
#include <new>

namespace {

const double kPi = 3.14159265358979323846;

class PSDSatinEffect : public PSDEffect {
public:
	PSDSatinEffect(const PSDDescriptor& d, const PSDEffectContext& c)
	    : PSDEffect(PSD_EFFECT_SATIN, d, c), fSize(Size("blur", 0)), fDistance(Size("Dstn", 0)),
	      fInvert(d.Bool("Invr", true))
	{
		const double angle = d.Number("lagl", 19) * kPi / 180;
		fDX = std::isfinite(angle) ? (int32)std::lround(fDistance * std::cos(angle)) : 0;
		fDY = std::isfinite(angle) ? (int32)std::lround(-fDistance * std::sin(angle)) : 0;
	}

	int32 Reach() const override { return 0; }
	int32 Sight() const override
	{
		return psdBlurReach(psdEffectBlurRadius(fSize)) + (int32)std::ceil(fDistance) + 2;
	}

	status_t Prepare(PSDEffectShape& shape) override
	{
		PSDPlane other;
		status_t status = shape.Grown(0, false, &fCoverage);
		if (status == B_OK)
			status = shape.Grown(0, false, &other);
		if (status == B_OK) {
			psdEffectShift(shape, fCoverage, fDX, fDY, 0);
			psdEffectShift(shape, other, -fDX, -fDY, 0);
			status = psdEffectBlur(shape, fCoverage, fSize);
		}
		if (status == B_OK)
			status = psdEffectBlur(shape, other, fSize);
		if (status != B_OK)
			return status;
		const PSDPlane& alpha = shape.Alpha();
		for (size_t i = 0; i < fCoverage.size(); i++) {
			const float difference = std::fabs(fCoverage[i] - other[i]);
			fCoverage[i] = alpha[i] * (fInvert ? 1 - difference : difference);
		}
		return SolidPaint();
	}

private:
	double fSize;
	double fDistance;
	bool fInvert;
	int32 fDX = 0;
	int32 fDY = 0;
};

} // namespace

std::unique_ptr<PSDEffect> psdSatin(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDSatinEffect(d, c));
}
