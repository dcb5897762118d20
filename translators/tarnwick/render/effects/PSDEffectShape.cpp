#include "PSDEffectShape.h"

#include <render/shape/PSDBlur.h>
#include <render/shape/PSDDistance.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Photoshop's effect sizes are how far the soft edge spreads; a Gaussian
// reaches about that far at this sigma.
const double kSigmaPerSize = 0.5;

} // namespace

status_t PSDEffectShape::Allocate(PSDPlane* plane) const
{
	try {
		plane->assign(Size(), 0.0f);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}

status_t PSDEffectShape::Init(PSDLayerPainter& painter, const PSDRect& area, const PSDRect& box)
{
	fArea = area;
	status_t status = Allocate(&fAlpha);
	if (status != B_OK)
		return status;
	const PSDRect painted = intersection(painter.Paintable(), area);
	const int32 width = Width();
	if (!isEmpty(painted)) {
		const int32 count = painted.right - painted.left;
		std::vector<float> colour;
		try {
			colour.resize((size_t)count * 4);
		} catch (const std::bad_alloc&) {
			return B_NO_MEMORY;
		}
		float* planes[5] = {colour.data(), colour.data() + count, colour.data() + 2 * count,
		                    colour.data() + 3 * count, colour.data() + 3 * count};
		for (int32 y = painted.top; y < painted.bottom; y++) {
			float* row = &fAlpha[(size_t)(y - area.top) * width + (painted.left - area.left)];
			painter.Paint({painted.left, y, painted.right, y + 1}, planes, row, (size_t)count);
		}
	}
	PSDPlane alpha = std::move(fAlpha);
	Init(area, std::move(alpha), box);
	return B_OK;
}

void PSDEffectShape::Init(const PSDRect& area, PSDPlane&& alpha, const PSDRect& box)
{
	fArea = area;
	fAlpha = std::move(alpha);
	fDistance.clear();
	const int32 width = Width();
	fBounds = box;
	if (!isEmpty(box))
		return;
	fBounds = {area.right, area.bottom, area.left, area.top};
	for (int32 y = 0; y < Height(); y++) {
		const float* row = &fAlpha[(size_t)y * width];
		for (int32 x = 0; x < width; x++) {
			if (row[x] <= 0)
				continue;
			fBounds.left = std::min(fBounds.left, area.left + x);
			fBounds.right = std::max(fBounds.right, area.left + x + 1);
			fBounds.top = std::min(fBounds.top, area.top + y);
			fBounds.bottom = std::max(fBounds.bottom, area.top + y + 1);
		}
	}
	if (fBounds.right <= fBounds.left)
		fBounds = {0, 0, 0, 0};
}

const float* PSDEffectShape::Distance()
{
	if (!fDistance.empty() || Size() == 0)
		return fDistance.empty() ? nullptr : fDistance.data();
	const int32 width = Width(), height = Height();
	std::vector<uint8> inside;
	PSDPlane outward;
	try {
		inside.resize(Size());
		outward.resize(Size());
		fDistance.resize(Size());
	} catch (const std::bad_alloc&) {
		fDistance.clear();
		return nullptr;
	}
	for (size_t i = 0; i < Size(); i++)
		inside[i] = fAlpha[i] >= 0.5f;
	if (psdSquaredDistance(inside.data(), width, height, outward.data()) != B_OK) {
		fDistance.clear();
		return nullptr;
	}
	for (size_t i = 0; i < Size(); i++)
		inside[i] = !inside[i];
	if (psdSquaredDistance(inside.data(), width, height, fDistance.data()) != B_OK) {
		fDistance.clear();
		return nullptr;
	}
	// Centres a whole pixel from the other side lie half a pixel from the
	// edge; pixels on the edge say by their coverage where it passes.
	for (size_t i = 0; i < Size(); i++) {
		const float a = fAlpha[i];
		float d = inside[i] ? std::sqrt(outward[i]) - 0.5f : 0.5f - std::sqrt(fDistance[i]);
		if (a > 0 && a < 1 && std::fabs(d) <= 0.5f)
			d = 0.5f - a;
		fDistance[i] = d;
	}
	return fDistance.data();
}

status_t PSDEffectShape::Grown(double radius, bool inverse, PSDPlane* plane)
{
	status_t status = Allocate(plane);
	if (status != B_OK)
		return status;
	if (std::fabs(radius) < 1e-3) {
		for (size_t i = 0; i < Size(); i++)
			(*plane)[i] = inverse ? 1 - fAlpha[i] : fAlpha[i];
		return B_OK;
	}
	const float* distance = Distance();
	if (distance == nullptr)
		return B_NO_MEMORY;
	for (size_t i = 0; i < Size(); i++) {
		const double d = inverse ? -distance[i] : distance[i];
		(*plane)[i] = (float)std::min(1.0, std::max(0.0, radius + 0.5 - d));
	}
	return B_OK;
}

double psdEffectBlurRadius(double size)
{
	return size > 0 ? size * kSigmaPerSize : 0;
}

status_t psdEffectBlur(const PSDEffectShape& shape, PSDPlane& plane, double size)
{
	return psdBlurPlane(plane.data(), shape.Width(), shape.Height(), (size_t)shape.Width(),
	                    psdEffectBlurRadius(size), kPSDBlurEdgeClamp);
}

void psdEffectShift(const PSDEffectShape& shape, PSDPlane& plane, int32 dx, int32 dy, float outside)
{
	const int32 width = shape.Width(), height = shape.Height();
	if (dx == 0 && dy == 0)
		return;
	if (std::abs(dx) >= width || std::abs(dy) >= height) {
		std::fill(plane.begin(), plane.end(), outside);
		return;
	}
	// Rows in the order that never overwrites one still to be read.
	for (int32 i = 0; i < height; i++) {
		const int32 y = dy > 0 ? height - 1 - i : i;
		float* row = &plane[(size_t)y * width];
		const int32 from = y - dy;
		if (from < 0 || from >= height) {
			std::fill(row, row + width, outside);
			continue;
		}
		const float* source = &plane[(size_t)from * width];
		if (dx >= 0) {
			std::copy_backward(source, source + width - dx, row + width);
			std::fill(row, row + dx, outside);
		} else {
			std::copy(source - dx, source + width, row);
			std::fill(row + width + dx, row + width, outside);
		}
	}
}
