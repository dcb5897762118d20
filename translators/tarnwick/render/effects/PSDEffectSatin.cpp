// Satin: the shape moved both ways along the angle, blurred, and the
// difference of the two inside the shape (or its inverse).

#include "PSDEffect.h"
#include "PSDEffectSpread.h"

#include <cmath>
#include <cstdlib>

namespace {

const double kPi = 3.14159265358979323846;

// The shape moved by (dx, dy), blurred by an effect size.
class PSDMovedShape final : private PSDBlurSource {
public:
	PSDMovedShape(PSDLayerShape& shape, int32 dx, int32 dy, double size)
	    : fShape(shape), fDX(dx), fDY(dy),
	      fBlur(*this, shape.Width(), shape.Height(), psdEffectBlurRadius(size), kPSDBlurEdgeClamp)
	{
	}

	const float* Row(int32 y) { return fBlur.Row(y - fShape.Area().top); }

private:
	void ReadRow(int32 y, float* row) override
	{
		const int32 from = fShape.Area().top + y - fDY;
		if (from < fShape.Area().top || from >= fShape.Area().bottom)
			std::fill(row, row + fShape.Width(), 0.0f);
		else
			psdShiftRow(fShape.Alpha(from), row, fShape.Width(), fDX, 0);
	}

	PSDLayerShape& fShape;
	int32 fDX;
	int32 fDY;
	PSDRollingBlur fBlur;
};

class PSDSatinEffect : public PSDEffect {
public:
	PSDSatinEffect(const PSDEffectSettings& s, const PSDRenderTarget& t)
	    : PSDEffect(s, t), fSize(Size(s.size)), fDistance(Size(s.distance))
	{
		const double angle = s.angle * kPi / 180;
		fDX = std::isfinite(angle) ? (int32)std::lround(fDistance * std::cos(angle)) : 0;
		fDY = std::isfinite(angle) ? (int32)std::lround(-fDistance * std::sin(angle)) : 0;
	}

	int32 Reach() const override { return 0; }
	int32 Sight() const override
	{
		return psdBlurReach(psdEffectBlurRadius(fSize)) + (int32)std::ceil(fDistance) + 2;
	}

	// The shape moved both ways, each blurred.
	uint64 HeldBytes(int32 width) const override
	{
		return 2 * psdBlurHeldBytes(width, psdEffectBlurRadius(fSize));
	}

	void Looks(PSDRowSpan* alpha, PSDRowSpan*) const override
	{
		const int32 ahead = psdBlurReadAhead(psdEffectBlurRadius(fSize));
		alpha->Add(-std::abs(fDY), std::abs(fDY) + ahead);
	}

	void Start(PSDLayerShape& shape) override
	{
		PSDEffect::Start(shape);
		fOne = std::make_unique<PSDMovedShape>(shape, fDX, fDY, fSize);
		fOther = std::make_unique<PSDMovedShape>(shape, -fDX, -fDY, fSize);
	}

	const float* Row(int32 y) override
	{
		const float* one = fOne->Row(y);
		const float* other = fOther->Row(y);
		const float* alpha = fShape->Alpha(y);
		for (size_t x = 0; x < fCoverage.size(); x++) {
			const float difference = std::fabs(one[x] - other[x]);
			fCoverage[x] = alpha[x] * (fSettings.inverted ? 1 - difference : difference);
		}
		return fCoverage.data();
	}

private:
	double fSize;
	double fDistance;
	int32 fDX = 0;
	int32 fDY = 0;
	std::unique_ptr<PSDMovedShape> fOne;
	std::unique_ptr<PSDMovedShape> fOther;
};

} // namespace

std::unique_ptr<PSDEffect> psdMakeSatin(const PSDEffectSettings& s, const PSDRenderTarget& t)
{
	return std::make_unique<PSDSatinEffect>(s, t);
}
