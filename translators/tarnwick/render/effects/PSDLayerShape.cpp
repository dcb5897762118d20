#include "PSDLayerShape.h"

#include <algorithm>
#include <cmath>

PSDEffectRows::PSDEffectRows(const PSDRect& area, int32 held)
    : fArea(area), fWidth((size_t)std::max(0, area.right - area.left)), fHeld(std::max(held, 1)),
      fNext(area.top)
{
}

const float* PSDEffectRows::Row(int32 y)
{
	if (fRows.empty())
		fRows.resize(fWidth * fHeld);
	for (; fNext <= y; fNext++)
		Make(fNext, &fRows[(size_t)((fNext - fArea.top) % fHeld) * fWidth]);
	return &fRows[(size_t)((y - fArea.top) % fHeld) * fWidth];
}

PSDLayerShape::AlphaRows::AlphaRows(PSDShapeSource& source, const PSDRect& area, int32 held)
    : PSDEffectRows(area, held), fSource(source), fPainted(intersection(source.Paintable(), area))
{
}

void PSDLayerShape::AlphaRows::Make(int32 y, float* row)
{
	std::fill(row, row + fWidth, 0.0f);
	if (y >= fPainted.top && y < fPainted.bottom && !isEmpty(fPainted))
		fSource.Shape({fPainted.left, y, fPainted.right, y + 1}, row + (fPainted.left - fArea.left),
		              fWidth);
}

PSDLayerShape::DistanceRows::DistanceRows(AlphaRows& alpha, const PSDRect& area, int32 range,
                                          int32 held)
    : PSDEffectRows(area, held), fAlpha(alpha), fRange(range), fToInside(fWidth, range),
      fToOutside(fWidth, range), fSeeds(fWidth), fInward(fWidth), fOutward(fWidth)
{
}

void PSDLayerShape::DistanceRows::Make(int32 y, float* row)
{
	// The rows as far down as a distance in range can come from.
	const int32 last = std::min(fArea.bottom - 1, y + fRange);
	while (fArea.top + fToInside.RowsAdded() <= last) {
		const float* alpha = fAlpha.Row(fArea.top + fToInside.RowsAdded());
		for (size_t x = 0; x < fWidth; x++)
			fSeeds[x] = alpha[x] >= 0.5f;
		fToInside.AddRow(fSeeds.data());
		for (size_t x = 0; x < fWidth; x++)
			fSeeds[x] = !fSeeds[x];
		fToOutside.AddRow(fSeeds.data());
	}
	fToInside.Distances(y - fArea.top, fOutward.data());
	fToOutside.Distances(y - fArea.top, fInward.data());
	// Centres a whole pixel from the other side lie half a pixel from the
	// edge; pixels on the edge say by their coverage where it passes.
	const float* alpha = fAlpha.Row(y);
	for (size_t x = 0; x < fWidth; x++) {
		const float a = alpha[x];
		float d = !(a >= 0.5f) ? std::sqrt(fOutward[x]) - 0.5f : 0.5f - std::sqrt(fInward[x]);
		if (a > 0 && a < 1 && std::fabs(d) <= 0.5f)
			d = 0.5f - a;
		row[x] = d;
	}
}

PSDLayerShape::PSDLayerShape(PSDShapeSource& source, const PSDRect& area, int32 range,
                             int32 alphaRows, int32 distanceRows)
    : fSource(source), fArea(area), fAlpha(source, area, alphaRows),
      fDistance(fAlpha, area, range, distanceRows)
{
}

PSDBounds PSDLayerShape::Box()
{
	const PSDBounds box = fSource.Box();
	if (!isEmpty(box))
		return box;
	// Painted row by row, before the planes' rows are made.
	PSDRect bounds = {fArea.right, fArea.bottom, fArea.left, fArea.top};
	const PSDRect painted = intersection(fSource.Paintable(), fArea);
	std::vector<float> row((size_t)std::max(0, painted.right - painted.left));
	for (int32 y = painted.top; y < painted.bottom && !row.empty(); y++) {
		fSource.Shape({painted.left, y, painted.right, y + 1}, row.data(), row.size());
		for (size_t x = 0; x < row.size(); x++) {
			if (row[x] <= 0)
				continue;
			bounds.left = std::min(bounds.left, painted.left + (int32)x);
			bounds.right = std::max(bounds.right, painted.left + (int32)x + 1);
			bounds.top = std::min(bounds.top, y);
			bounds.bottom = std::max(bounds.bottom, y + 1);
		}
	}
	return bounds.right <= bounds.left ? PSDBounds{0, 0, 0, 0} : toBounds(bounds);
}
