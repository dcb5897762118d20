#include "PSDEffectSpread.h"

#include "PSDEffect.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this the shape is taken as it is, without its distance.
const double kLeastSpread = 1e-3;

} // namespace

PSDBlurredSpread::PSDBlurredSpread(PSDLayerShape& shape, double radius, bool inverse, double size)
    : fShape(shape), fRadius(radius), fInverse(inverse),
      fBlur(*this, shape.Width(), shape.Height(), psdEffectBlurRadius(size), kPSDBlurEdgeClamp)
{
}

int32 PSDBlurredSpread::DistanceRange(double radius)
{
	return std::fabs(radius) < kLeastSpread ? 0 : (int32)std::ceil(std::fabs(radius)) + 2;
}

uint64 PSDBlurredSpread::HeldBytes(int32 width, double size)
{
	return psdBlurHeldBytes(width, psdEffectBlurRadius(size));
}

void PSDBlurredSpread::Looks(double radius, double size, int32 offset, PSDRowSpan* alpha,
                             PSDRowSpan* distance)
{
	PSDRowSpan* read = DistanceRange(radius) > 0 ? distance : alpha;
	read->Add(offset, offset + psdBlurReadAhead(psdEffectBlurRadius(size)));
}

void PSDBlurredSpread::ReadRow(int32 y, float* row)
{
	const int32 width = fShape.Width();
	const int32 canvasY = fShape.Area().top + y;
	if (std::fabs(fRadius) < kLeastSpread) {
		const float* alpha = fShape.Alpha(canvasY);
		for (int32 x = 0; x < width; x++)
			row[x] = fInverse ? 1 - alpha[x] : alpha[x];
		return;
	}
	const float* distance = fShape.Distance(canvasY);
	for (int32 x = 0; x < width; x++) {
		const double d = fInverse ? -distance[x] : distance[x];
		row[x] = (float)std::min(1.0, std::max(0.0, fRadius + 0.5 - d));
	}
}

void psdShiftRow(const float* from, float* to, int32 width, int32 dx, float outside)
{
	if (std::abs(dx) >= width) {
		std::fill(to, to + width, outside);
	} else if (dx >= 0) {
		std::fill(to, to + dx, outside);
		std::copy(from, from + width - dx, to + dx);
	} else {
		std::copy(from - dx, from + width, to);
		std::fill(to + width + dx, to + width, outside);
	}
}

void psdFinishCoverage(const PSDContour& contour, bool inner, PSDLayerShape& shape, int32 y,
                       std::vector<float>& coverage)
{
	contour.MapRow(coverage.data(), coverage.size());
	if (inner) {
		const float* alpha = shape.Alpha(y);
		for (size_t x = 0; x < coverage.size(); x++)
			coverage[x] *= alpha[x];
	}
}
