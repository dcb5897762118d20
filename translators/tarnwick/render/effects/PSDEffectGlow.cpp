// Outer and inner glows: a soft (blurred) or precise (by distance) edge
// spreading out from the shape, or in from its edge or out from its centre.

#include "PSDEffect.h"
#include <render/shape/PSDBlur.h>

#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

class PSDGlow : public PSDEffect {
public:
	PSDGlow(PSDEffectStage stage, const PSDDescriptor& d, const PSDEffectContext& c)
	    : PSDEffect(stage, d, c), fSize(Size("blur", 0)),
	      fSpread(std::min(1.0, std::max(0.0, d.Number("Ckmt", 0) / 100))),
	      fPrecise(d.Enum("GlwT", "SfBL") == "PrBL"), fFromCentre(d.Enum("glwS", "SrcE") == "SrcC")
	{
	}

	int32 Reach() const override
	{
		return psdBlurReach(psdEffectBlurRadius(fSize)) + (int32)std::ceil(fSize) + 2;
	}

	status_t Prepare(PSDEffectShape& shape) override
	{
		const bool inner = Stage() == PSD_EFFECT_INNER_GLOW;
		status_t status = fPrecise ? Precise(shape, inner) : Soft(shape, inner);
		if (status != B_OK)
			return status;
		const PSDPlane& alpha = shape.Alpha();
		for (size_t i = 0; i < fCoverage.size(); i++) {
			if (inner)
				fCoverage[i] = alpha[i] * (fFromCentre ? 1 - fCoverage[i] : fCoverage[i]);
		}
		return SolidPaint();
	}

private:
	status_t Soft(PSDEffectShape& shape, bool inner)
	{
		status_t status = shape.Grown(fSize * fSpread, inner, &fCoverage);
		return status == B_OK ? psdEffectBlur(shape, fCoverage, fSize * (1 - fSpread)) : status;
	}

	// Full strength as far as the spread, fading to nothing at the size.
	status_t Precise(PSDEffectShape& shape, bool inner)
	{
		status_t status = shape.Allocate(&fCoverage);
		const float* distance = status == B_OK ? shape.Distance() : nullptr;
		if (distance == nullptr)
			return B_NO_MEMORY;
		const double solid = fSize * fSpread;
		const double fade = std::max(1.0, fSize - solid);
		for (size_t i = 0; i < fCoverage.size(); i++) {
			const double d = (inner ? -distance[i] : distance[i]) + 0.5;
			fCoverage[i] = (float)std::min(1.0, std::max(0.0, 1 - (d - solid) / fade));
		}
		return B_OK;
	}

	double fSize;
	double fSpread;
	bool fPrecise;
	bool fFromCentre;
};

} // namespace

std::unique_ptr<PSDEffect> psdOuterGlow(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDGlow(PSD_EFFECT_OUTER_GLOW, d, c));
}

std::unique_ptr<PSDEffect> psdInnerGlow(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDGlow(PSD_EFFECT_INNER_GLOW, d, c));
}
