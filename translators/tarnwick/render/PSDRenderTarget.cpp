#include "PSDRenderTarget.h"

#include <algorithm>
#include <cmath>

namespace {

// Hostile rectangles sit near the ends of 32 bits; mapped ones stay well
// inside them.
int32 clamped(double value)
{
	const double limit = 1 << 30;
	return (int32)std::max(-limit, std::min(limit, value));
}

} // namespace

int32 PSDRenderTarget::Cell(int32 document) const
{
	return scale == 1 ? document : clamped(std::floor((document + 0.5) * scale));
}

int32 PSDRenderTarget::FirstIn(int32 cell) const
{
	if (scale == 1)
		return cell;
	int32 at = clamped(std::ceil(cell / scale - 0.5));
	while (at < (1 << 30) && Cell(at) < cell)
		at++;
	while (at > -(1 << 30) && Cell(at - 1) >= cell)
		at--;
	return at;
}

PSDRect PSDRenderTarget::Canvas(const PSDRect& document) const
{
	if (scale == 1 || isEmpty(document))
		return scale == 1 ? document : PSDRect{0, 0, 0, 0};
	return {Cell(document.left), Cell(document.top), Cell(document.right - 1) + 1,
	        Cell(document.bottom - 1) + 1};
}

PSDRect PSDRenderTarget::Document(const PSDRect& canvas) const
{
	if (scale == 1 || isEmpty(canvas))
		return scale == 1 ? canvas : PSDRect{0, 0, 0, 0};
	return {FirstIn(canvas.left), FirstIn(canvas.top), FirstIn(canvas.right),
	        FirstIn(canvas.bottom)};
}
