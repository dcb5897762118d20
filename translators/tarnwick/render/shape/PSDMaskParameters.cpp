#include "PSDMaskParameters.h"

#include "PSDBlur.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

// Blurs wider than this (a standard deviation, in pixels) are rendered on a
// grid where they are this wide: finer detail would be blurred away.
const double kWidestFineSigma = 8;
// Rows rendered at once when nothing is blurred.
const int32 kBandRows = 256;
// Rectangles stay well inside int32 once widened by a blur's reach.
const int32 kCoordinateLimit = 1 << 30;

bool insideLimits(const PSDRect& rect)
{
	return std::abs(int64(rect.left)) <= kCoordinateLimit &&
	       std::abs(int64(rect.top)) <= kCoordinateLimit &&
	       std::abs(int64(rect.right)) <= kCoordinateLimit &&
	       std::abs(int64(rect.bottom)) <= kCoordinateLimit;
}

status_t renderSharp(const PSDVectorPath& mask, double canvasScale, const PSDRect& rect,
                     float* plane, size_t stride)
{
	int32 width = rect.right - rect.left;
	std::vector<uint8> band;
	try {
		band.resize(size_t(width) * std::min(kBandRows, rect.bottom - rect.top));
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	for (int32 top = rect.top; top < rect.bottom; top += kBandRows) {
		PSDRect part = {rect.left, top, rect.right, std::min(rect.bottom, top + kBandRows)};
		status_t status = psdVectorMaskCoverage(mask, part, band.data(), width, canvasScale);
		if (status != B_OK)
			return status;
		for (int32 y = part.top; y < part.bottom; y++) {
			const uint8* source = band.data() + size_t(y - top) * width;
			float* row = plane + size_t(y - rect.top) * stride;
			for (int32 x = 0; x < width; x++)
				row[x] = source[x] / 255.0f;
		}
	}
	return B_OK;
}

// Samples a grid whose pixel i covers [i, i + 1) / scale + origin at the
// centres of the rectangle's pixels, bilinearly.
void resample(const std::vector<float>& grid, int32 gridWidth, int32 gridHeight, double scale,
              double originX, double originY, const PSDRect& rect, float* plane, size_t stride)
{
	auto position = [](double at, int32 size, int32& index, float& fraction) {
		at = std::min(std::max(at, 0.0), double(size - 1));
		index = std::min(int32(at), size - 2);
		fraction = float(at - index);
	};
	std::vector<int32> columns(rect.right - rect.left);
	std::vector<float> columnFractions(columns.size());
	for (int32 x = rect.left; x < rect.right; x++) {
		position((x + 0.5) * scale - 0.5 - originX, gridWidth, columns[x - rect.left],
		         columnFractions[x - rect.left]);
	}
	for (int32 y = rect.top; y < rect.bottom; y++) {
		int32 gridRow;
		float down;
		position((y + 0.5) * scale - 0.5 - originY, gridHeight, gridRow, down);
		const float* upper = grid.data() + size_t(gridRow) * gridWidth;
		const float* lower = upper + gridWidth;
		float* row = plane + size_t(y - rect.top) * stride;
		for (size_t x = 0; x < columns.size(); x++) {
			int32 i = columns[x];
			float across = columnFractions[x];
			float top = upper[i] + across * (upper[i + 1] - upper[i]);
			float bottom = lower[i] + across * (lower[i + 1] - lower[i]);
			row[x] = top + down * (bottom - top);
		}
	}
}

status_t renderFeathered(const PSDVectorPath& mask, double canvasScale, double feather,
                         const PSDRect& rect, float* plane, size_t stride)
{
	double sigma = psdBlurSigma(feather);
	double scale = sigma > kWidestFineSigma ? kWidestFineSigma / sigma : 1;
	double radius = feather * scale;
	int32 reach = psdBlurReach(radius);
	// At least two grid pixels each way, so that every sample has neighbours.
	PSDRect grid = {int32(std::floor(rect.left * scale)) - reach - 1,
	                int32(std::floor(rect.top * scale)) - reach - 1,
	                int32(std::ceil(rect.right * scale)) + reach + 1,
	                int32(std::ceil(rect.bottom * scale)) + reach + 1};
	int32 gridWidth = grid.right - grid.left, gridHeight = grid.bottom - grid.top;

	std::vector<uint8> coverage;
	std::vector<float> values;
	try {
		coverage.resize(size_t(gridWidth) * gridHeight);
		values.resize(coverage.size());
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	status_t status =
	    psdVectorMaskCoverage(mask, grid, coverage.data(), gridWidth, canvasScale * scale);
	if (status != B_OK)
		return status;
	std::transform(coverage.begin(), coverage.end(), values.begin(),
	               [](uint8 value) { return value / 255.0f; });
	status =
	    psdBlurPlane(values.data(), gridWidth, gridHeight, gridWidth, radius, kPSDBlurEdgeClamp);
	if (status != B_OK)
		return status;
	resample(values, gridWidth, gridHeight, scale, grid.left, grid.top, rect, plane, stride);
	return B_OK;
}

} // namespace

void psdApplyMaskDensity(float* plane, int32 width, int32 height, size_t stride, uint8 density)
{
	if (density == 255)
		return;
	float share = density / 255.0f;
	for (int32 y = 0; y < height; y++) {
		float* row = plane + size_t(y) * stride;
		for (int32 x = 0; x < width; x++)
			row[x] = 1 - share * (1 - row[x]);
	}
}

status_t psdVectorMaskPlane(const PSDVectorPath& mask, const PSDMaskParameters& parameters,
                            const PSDRect& rect, float* plane, size_t stride, double scale)
{
	if (rect.right <= rect.left || rect.bottom <= rect.top)
		return B_OK;
	if (plane == nullptr || !insideLimits(rect) || stride < size_t(int64(rect.right) - rect.left))
		return B_BAD_VALUE;
	if (!(scale > 0 && scale <= 1))
		return B_BAD_VALUE;
	double feather =
	    parameters.feather > 0 ? std::min(parameters.feather, kPSDBlurMaxRadius) * scale : 0;
	status_t status = feather > 0 && !mask.disabled
	                      ? renderFeathered(mask, scale, feather, rect, plane, stride)
	                      : renderSharp(mask, scale, rect, plane, stride);
	if (status != B_OK)
		return status;
	psdApplyMaskDensity(plane, rect.right - rect.left, rect.bottom - rect.top, stride,
	                    parameters.density);
	return B_OK;
}
