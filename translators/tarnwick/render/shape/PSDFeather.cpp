#include "PSDFeather.h"

#include "PSDBlur.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Blurs wider than this (a standard deviation, in pixels) are made on a grid
// where they are this wide: finer detail would be blurred away.
const double kWidestFineSigma = 8;

// The grid cell of a canvas coordinate.
inline int32 cellOf(int32 canvas, double scale)
{
	return scale == 1 ? canvas : (int32)std::floor(canvas * scale);
}

// The first canvas coordinate in a grid cell.
int32 firstInCell(int32 cell, double scale)
{
	if (scale == 1)
		return cell;
	int32 at = (int32)std::ceil(cell / scale);
	while (cellOf(at, scale) < cell)
		at++;
	while (cellOf(at - 1, scale) >= cell)
		at--;
	return at;
}

} // namespace

PSDFeatheredMask::PSDFeatheredMask(int32 left, int32 right, double radius, float outside,
                                   SharpRows sharp)
    : fLeft(left), fRight(right), fOutside(outside), fSharp(std::move(sharp)), fFirstRow(0),
      fHeld(0), fCapacity(0)
{
	radius = std::min(radius, kPSDBlurMaxRadius);
	const double sigma = psdBlurSigma(radius);
	fScale = sigma > kWidestFineSigma ? kWidestFineSigma / sigma : 1;
	fGridRadius = radius * fScale;
	fReach = psdBlurReach(fGridRadius) + 1;
	fCanvasReach = (int32)std::ceil((fReach + 1) / fScale);
	fGridLeft = cellOf(left, fScale) - fReach - 1;
	const int32 gridRight = cellOf(right - 1, fScale) + fReach + 2;
	fGridWidth = gridRight - fGridLeft;
	fSharpLeft = firstInCell(fGridLeft, fScale);
	fSharpCount = firstInCell(gridRight, fScale) - fSharpLeft;
	fColumnStarts.resize((size_t)fGridWidth + 1);
	for (int32 i = 0; i <= fGridWidth; i++)
		fColumnStarts[(size_t)i] = firstInCell(fGridLeft + i, fScale) - fSharpLeft;
	fSharpRow.resize((size_t)fSharpCount);
	fSum.resize((size_t)fGridWidth);
}

const float* PSDFeatheredMask::GridRow(int32 gridRow) const
{
	return fRows.data() + (size_t)((gridRow % fCapacity + fCapacity) % fCapacity) * fGridWidth;
}

// Appends grid row gridRow, the mean of the canvas rows in it.
void PSDFeatheredMask::Produce(int32 gridRow)
{
	const int32 first = firstInCell(gridRow, fScale);
	const int32 end = firstInCell(gridRow + 1, fScale);
	std::fill(fSum.begin(), fSum.end(), 0.0f);
	for (int32 y = first; y < end; y++) {
		fSharp(y, fSharpLeft, fSharpCount, fSharpRow.data());
		for (int32 i = 0; i < fGridWidth; i++) {
			float sum = 0;
			for (int32 x = fColumnStarts[(size_t)i]; x < fColumnStarts[(size_t)i + 1]; x++)
				sum += fSharpRow[(size_t)x];
			fSum[(size_t)i] += sum;
		}
	}
	float* row = const_cast<float*>(GridRow(gridRow));
	for (int32 i = 0; i < fGridWidth; i++) {
		const int32 cells =
		    (fColumnStarts[(size_t)i + 1] - fColumnStarts[(size_t)i]) * (end - first);
		row[i] = cells > 0 ? fSum[(size_t)i] / cells : fOutside;
	}
}

void PSDFeatheredMask::Rows(const PSDRect& area, float* plane, size_t stride)
{
	const int32 top = area.top, bottom = area.bottom;
	const int32 left = std::max(area.left, fLeft), right = std::min(area.right, fRight);
	if (bottom <= top || right <= left)
		return;
	// The grid rows the band's pixels sit between, and the blur's reach
	// around them.
	const int32 firstUsed = fScale == 1 ? top : (int32)std::floor((top + 0.5) * fScale - 0.5);
	const int32 lastUsed =
	    fScale == 1 ? bottom - 1 : (int32)std::floor((bottom - 0.5) * fScale - 0.5) + 1;
	const int32 windowTop = firstUsed - fReach;
	const int32 windowBottom = lastUsed + fReach + 1;
	const int32 windowRows = windowBottom - windowTop;
	if (fHeld == 0 || windowTop < fFirstRow) {
		fFirstRow = windowTop;
		fHeld = 0;
	}
	if (windowRows > fCapacity) {
		// Held rows move to their slots in the larger ring.
		std::vector<float> kept(fRows);
		const int32 oldCapacity = fCapacity;
		fCapacity = windowRows + 2;
		fRows.assign((size_t)fCapacity * fGridWidth, fOutside);
		for (int32 r = fFirstRow; r < fFirstRow + fHeld; r++) {
			const float* from =
			    kept.data() + (size_t)((r % oldCapacity + oldCapacity) % oldCapacity) * fGridWidth;
			std::copy(from, from + fGridWidth, const_cast<float*>(GridRow(r)));
		}
	}
	// Rows above the window are done with; rows below it come in.
	if (windowTop > fFirstRow) {
		const int32 dropped = std::min(fHeld, windowTop - fFirstRow);
		fHeld -= dropped;
		fFirstRow = fHeld > 0 ? fFirstRow + dropped : windowTop;
	}
	while (fFirstRow + fHeld < windowBottom) {
		Produce(fFirstRow + fHeld);
		fHeld++;
	}

	fWindow.resize((size_t)windowRows * fGridWidth);
	for (int32 r = 0; r < windowRows; r++) {
		const float* row = GridRow(windowTop + r);
		std::copy(row, row + fGridWidth, fWindow.begin() + (size_t)r * fGridWidth);
	}
	psdBlurPlane(fWindow.data(), fGridWidth, windowRows, (size_t)fGridWidth, fGridRadius,
	             kPSDBlurEdgeConstant, fOutside);

	const int32 width = right - left;
	plane += left - area.left;
	if (fScale == 1) {
		for (int32 y = top; y < bottom; y++) {
			const float* row = fWindow.data() + (size_t)(y - windowTop) * fGridWidth;
			memcpy(plane + (size_t)(y - top) * stride, row + (left - fGridLeft),
			       sizeof(float) * width);
		}
		return;
	}
	// Between grid pixels, bilinearly.
	for (int32 y = top; y < bottom; y++) {
		const double at = (y + 0.5) * fScale - 0.5 - windowTop;
		const int32 upperRow = std::min((int32)std::floor(at), windowRows - 2);
		const float down = (float)(at - upperRow);
		const float* upper = fWindow.data() + (size_t)upperRow * fGridWidth;
		const float* lower = upper + fGridWidth;
		float* out = plane + (size_t)(y - top) * stride;
		for (int32 x = 0; x < width; x++) {
			const double across = (left + x + 0.5) * fScale - 0.5 - fGridLeft;
			const int32 i = std::min((int32)std::floor(across), fGridWidth - 2);
			const float right = (float)(across - i);
			const float high = upper[i] + right * (upper[i + 1] - upper[i]);
			const float low = lower[i] + right * (lower[i + 1] - lower[i]);
			out[x] = high + down * (low - high);
		}
	}
}
