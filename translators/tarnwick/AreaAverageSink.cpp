#include "AreaAverageSink.h"

#include <algorithm>
#include <new>

namespace {

// Pixel words in memory: blue, green, red, alpha.
const int kAlpha = 3;

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
    : AreaAverage(width, height, outWidth, outHeight)
{
	fSpan.reset(new (std::nothrow) uint32[std::max<size_t>(width, kMaxSpan)]);
	if (fSpan && Ready())
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
	AreaAverage::Finish();
}

namespace {

// Pixel words as AreaAverage takes them.
struct WordPixels {
	const uint8* bytes;

	// Summed in locals, a loop the compiler vectorises: sums in memory
	// might alias the pixels.
	void Add(uint32 from, uint32 to, AreaAverage<3>::Sums& sums) const
	{
		uint64 b = 0, g = 0, r = 0, a = 0;
		for (const uint8* p = bytes + (size_t)from * 4; p < bytes + (size_t)to * 4; p += 4) {
			const uint32 alpha = p[kAlpha];
			b += p[0] * alpha;
			g += p[1] * alpha;
			r += p[2] * alpha;
			a += alpha;
		}
		sums.colour[0] += b;
		sums.colour[1] += g;
		sums.colour[2] += r;
		sums.alpha += a;
	}

	void Get(uint32 i, uint32* colour, uint32& alpha) const
	{
		const uint8* p = bytes + (size_t)i * 4;
		colour[0] = p[0];
		colour[1] = p[1];
		colour[2] = p[2];
		alpha = p[kAlpha];
	}
};

} // namespace

void AreaAverageSink::_Average(uint64 first, uint32 count)
{
	Add(first, count, WordPixels{(const uint8*)fSpan.get()});
}

void AreaAverageSink::EmitRow(uint32 row, const Sums* sums)
{
	const uint64 area = Area();
	uint8* out = (uint8*)(fPixels.get() + (size_t)row * OutWidth());
	for (uint32 x = 0; x < OutWidth(); x++, out += 4) {
		const uint64 alpha = sums[x].alpha;
		for (int c = 0; c < 3; c++)
			out[c] = alpha == 0 ? 0 : (uint8)((sums[x].colour[c] + alpha / 2) / alpha);
		out[kAlpha] = (uint8)((alpha + area / 2) / area);
	}
}
