#include "AreaAverageSink.h"

#include <algorithm>
#include <cstring>
#include <new>

// Positions are counted in units: a source pixel is outWidth units wide and
// an output column width units, so every edge falls on a whole unit (rows
// likewise with the heights). An output pixel covers width x height square
// units; the sums stay below 255 x 255 x that, well inside 64 bits.

namespace {

// Pixel words in memory: blue, green, red, alpha.
const int kAlpha = 3;

void addWeighted(uint64 colour[3], uint64& alpha, const uint8* pixel, uint64 weight)
{
	const uint64 a = pixel[kAlpha] * weight;
	for (int c = 0; c < 3; c++)
		colour[c] += pixel[c] * a;
	alpha += a;
}

} // namespace

ReducedSize reduced_size(uint32 width, uint32 height, uint32 boxWidth, uint32 boxHeight)
{
	if (width <= boxWidth && height <= boxHeight)
		return {width, height};
	const uint64 w = width, h = height;
	if ((uint64)boxWidth * h <= (uint64)boxHeight * w) {
		const uint64 rounded = (h * boxWidth + w / 2) / w;
		return {boxWidth, (uint32)std::max<uint64>(rounded, 1)};
	}
	const uint64 rounded = (w * boxHeight + h / 2) / h;
	return {(uint32)std::max<uint64>(rounded, 1), boxHeight};
}

AreaAverageSink::AreaAverageSink(uint32 width, uint32 height, uint32 outWidth, uint32 outHeight)
    : fWidth(width), fHeight(height), fOutWidth(outWidth), fOutHeight(outHeight)
{
	const size_t span = std::max<size_t>(width, kMaxSpan);
	const size_t columns = outWidth;
	fSpan.reset(new (std::nothrow) uint32[span]);
	fWhole.reset(new (std::nothrow) Sums[columns]());
	fSplit.reset(new (std::nothrow) Sums[columns]());
	fRows[0].reset(new (std::nothrow) Sums[columns]());
	fRows[1].reset(new (std::nothrow) Sums[columns]());
	if (fSpan && fWhole && fSplit && fRows[0] && fRows[1])
		fPixels.reset(new (std::nothrow) uint32[(size_t)outWidth * outHeight]());
}

uint32* AreaAverageSink::Span(uint64 first, uint32 count)
{
	if (fPendingCount > 0)
		_Average(fPendingFirst, fPendingCount);
	fPendingFirst = first;
	fPendingCount = count;
	return fSpan.get();
}

void AreaAverageSink::Finish()
{
	if (fPendingCount > 0)
		_Average(fPendingFirst, fPendingCount);
	fPendingCount = 0;
	if (fRowOpen)
		_EndRow(fRow);
	while (fOutRow < fOutHeight)
		_EmitRow();
}

// The span, row by row.
void AreaAverageSink::_Average(uint64 first, uint32 count)
{
	const uint64 pixels = (uint64)fWidth * fHeight;
	if (first >= pixels)
		return;
	count = (uint32)std::min<uint64>(count, pixels - first);
	const uint8* bytes = (const uint8*)fSpan.get();
	while (count > 0) {
		const uint32 y = (uint32)(first / fWidth);
		const uint32 x = (uint32)(first % fWidth);
		const uint32 take = std::min(count, fWidth - x);
		if (fRowOpen && y != fRow)
			_EndRow(fRow);
		fRow = y;
		fRowOpen = true;
		_AddSegment(bytes, x, x + take);
		if (x + take == fWidth)
			_EndRow(y);
		bytes += (size_t)take * 4;
		first += take;
		count -= take;
	}
}

// Pixels x0 .. x1 - 1 of the open row, column by column: the pixels wholly
// inside a column are summed plainly, and the one pixel an edge may cut is
// shared out by weight.
void AreaAverageSink::_AddSegment(const uint8* pixels, uint32 x0, uint32 x1)
{
	const uint64 width = fWidth, outWidth = fOutWidth;
	uint32 column = (uint32)(x0 * outWidth / width);
	uint32 x = x0;
	pixels -= (size_t)x0 * 4;
	while (x < x1) {
		const uint64 edge = (column + 1) * width;
		const uint32 end = (uint32)std::min<uint64>(x1, edge / outWidth);
		uint64 b = 0, g = 0, r = 0, a = 0;
		for (const uint8* p = pixels + (size_t)x * 4; p < pixels + (size_t)end * 4; p += 4) {
			const uint32 alpha = p[kAlpha];
			b += p[0] * alpha;
			g += p[1] * alpha;
			r += p[2] * alpha;
			a += alpha;
		}
		Sums& whole = fWhole[column];
		whole.colour[0] += b;
		whole.colour[1] += g;
		whole.colour[2] += r;
		whole.alpha += a;
		x = end;
		if (x == x1)
			break;
		const uint64 near = edge - x * outWidth;
		if (near > 0) {
			const uint8* p = pixels + (size_t)x * 4;
			addWeighted(fSplit[column].colour, fSplit[column].alpha, p, near);
			addWeighted(fSplit[column + 1].colour, fSplit[column + 1].alpha, p, outWidth - near);
			x++;
		}
		column++;
	}
}

// Adds the finished source row y to the output rows it overlaps and writes
// those it completes.
void AreaAverageSink::_EndRow(uint32 y)
{
	fRowOpen = false;
	const uint64 height = fHeight, outHeight = fOutHeight;
	const uint32 outRow = (uint32)(y * outHeight / height);
	while (fOutRow < outRow)
		_EmitRow();
	const uint64 top = y * outHeight, bottom = top + outHeight;
	const uint64 edge = ((uint64)outRow + 1) * height;
	const uint64 near = std::min(bottom, edge) - top;
	const uint64 far = outHeight - near;
	Sums* rows[2] = {fRows[0].get(), fRows[1].get()};
	for (uint32 x = 0; x < fOutWidth; x++) {
		Sums& whole = fWhole[x];
		Sums& split = fSplit[x];
		for (int c = 0; c < 3; c++) {
			const uint64 sum = whole.colour[c] * fOutWidth + split.colour[c];
			rows[0][x].colour[c] += sum * near;
			rows[1][x].colour[c] += sum * far;
		}
		const uint64 alpha = whole.alpha * fOutWidth + split.alpha;
		rows[0][x].alpha += alpha * near;
		rows[1][x].alpha += alpha * far;
	}
	memset(fWhole.get(), 0, sizeof(Sums) * fOutWidth);
	memset(fSplit.get(), 0, sizeof(Sums) * fOutWidth);
	if (bottom >= edge)
		_EmitRow();
}

// Writes output row fOutRow from its sums and moves on to the next.
void AreaAverageSink::_EmitRow()
{
	if (fOutRow >= fOutHeight)
		return;
	const uint64 area = (uint64)fWidth * fHeight;
	uint8* out = (uint8*)(fPixels.get() + (size_t)fOutRow * fOutWidth);
	const Sums* sums = fRows[0].get();
	for (uint32 x = 0; x < fOutWidth; x++, out += 4) {
		const uint64 alpha = sums[x].alpha;
		for (int c = 0; c < 3; c++)
			out[c] = alpha == 0 ? 0 : (uint8)((sums[x].colour[c] + alpha / 2) / alpha);
		out[kAlpha] = (uint8)((alpha + area / 2) / area);
	}
	std::swap(fRows[0], fRows[1]);
	memset(fRows[1].get(), 0, sizeof(Sums) * fOutWidth);
	fOutRow++;
}
