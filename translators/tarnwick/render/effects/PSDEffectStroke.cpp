// Strokes: the band of the given width outside, inside or across the
// shape's edge, by the exact distance to that edge, and overlays, which
// cover the shape itself.

#include "PSDEffect.h"

#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// How much of a pixel whose centre lies at distance d from the edge falls
// between low and high (distances, negative inside).
inline float overlap(double d, double low, double high)
{
	return (float)std::max(0.0, std::min(d + 0.5, high) - std::max(d - 0.5, low));
}

class PSDStrokeEffect : public PSDEffect {
public:
	PSDStrokeEffect(const PSDDescriptor& d, const PSDEffectContext& c)
	    : PSDEffect(PSD_EFFECT_STROKE, d, c), fSize(Size("Sz  ", 1))
	{
		const std::string style = d.Enum("Styl", "OutF");
		if (style == "InsF") {
			fLow = -fSize;
			fHigh = 0;
		} else if (style == "CtrF") {
			fLow = -fSize / 2;
			fHigh = fSize / 2;
		} else {
			fLow = 0;
			fHigh = fSize;
		}
	}

	int32 Reach() const override { return (int32)std::ceil(fHigh) + 1; }
	int32 Sight() const override { return (int32)std::ceil(fSize) + 2; }

	status_t Prepare(PSDEffectShape& shape) override
	{
		status_t status = shape.Allocate(&fCoverage);
		const float* distance = status == B_OK ? shape.Distance() : nullptr;
		if (distance == nullptr)
			return B_NO_MEMORY;
		const PSDPlane& alpha = shape.Alpha();
		for (size_t i = 0; i < fCoverage.size(); i++) {
			float c = overlap(distance[i], fLow, fHigh);
			// Outside the shape the stroke meets its edge without a seam.
			if (fLow >= 0 && alpha[i] < 1)
				c = std::min(1.0f, c / (1 - alpha[i]));
			fCoverage[i] = c;
		}
		fPaint =
		    psdEffectPaint(fDescriptor, fContext, fDescriptor.Enum("PntT", "SClr"), shape.Bounds());
		return fPaint ? B_OK : B_NO_MEMORY;
	}

private:
	double fSize;
	double fLow = 0;
	double fHigh = 0;
};

class PSDOverlayEffect : public PSDEffect {
public:
	PSDOverlayEffect(PSDEffectStage stage, const PSDDescriptor& d, const PSDEffectContext& c)
	    : PSDEffect(stage, d, c)
	{
	}

	int32 Reach() const override { return 0; }

	status_t Prepare(PSDEffectShape& shape) override
	{
		status_t status = shape.Grown(0, false, &fCoverage);
		if (status != B_OK)
			return status;
		static const char* kKinds[] = {"Ptrn", "GrFl", "SClr"};
		fPaint = psdEffectPaint(fDescriptor, fContext, kKinds[Stage() - PSD_EFFECT_PATTERN_OVERLAY],
		                        shape.Bounds());
		return fPaint ? B_OK : B_NO_MEMORY;
	}
};

} // namespace

std::unique_ptr<PSDEffect> psdStroke(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDStrokeEffect(d, c));
}

std::unique_ptr<PSDEffect> psdOverlay(PSDEffectStage stage, const PSDDescriptor& d,
                                      const PSDEffectContext& c)
{
	return std::unique_ptr<PSDEffect>(new (std::nothrow) PSDOverlayEffect(stage, d, c));
}
