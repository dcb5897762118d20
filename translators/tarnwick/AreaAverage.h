#ifndef AREA_AVERAGE_H
#define AREA_AVERAGE_H

// An image area-averaged down while its pixels arrive in pixel order: each
// pixel of the small image is the mean of the area of the image it covers,
// pixels cut by its edges weighted by the part inside, colours weighted by
// alpha. Memory is two rows of sums, whatever the size of the image.
//
// Positions are counted in units: a source pixel is outWidth units wide and
// an output column width units, so every edge falls on a whole unit (rows
// likewise with the heights). An output pixel covers width x height square
// units. Pixels come as colour values and an alpha whose products fit 32
// bits; the sums stay below such a product times that area, inside 64 bits
// for PSB's largest images.

#include <SupportDefs.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

template <int Colours> class AreaAverage {
public:
	typedef uint64 Sum;
	struct Sums {
		Sum colour[Colours]; // colour x alpha
		Sum alpha;
	};

	AreaAverage(uint32 width, uint32 height, uint32 outWidth, uint32 outHeight)
	    : fWidth(width), fHeight(height), fOutWidth(outWidth), fOutHeight(outHeight),
	      fWhole(new (std::nothrow) Sums[outWidth]()), fSplit(new (std::nothrow) Sums[outWidth]())
	{
		fRows[0].reset(new (std::nothrow) Sums[outWidth]());
		fRows[1].reset(new (std::nothrow) Sums[outWidth]());
	}
	virtual ~AreaAverage() {}

	bool Ready() const { return fWhole && fSplit && fRows[0] && fRows[1]; }
	uint32 OutWidth() const { return fOutWidth; }
	// Square units an output pixel covers.
	uint64 Area() const { return (uint64)fWidth * fHeight; }

	// Pixels [first, first + count), which pixels gives: pixels.Add(from, to,
	// sums) adds colour x alpha and alpha of its pixels [from, to) to the
	// sums, in a loop of its own; pixels.Get(i, colour, alpha) gives one, as
	// uint32 values. Pixels past the image are dropped.
	template <class Pixels> void Add(uint64 first, uint32 count, const Pixels& pixels)
	{
		const uint64 area = (uint64)fWidth * fHeight;
		if (first >= area)
			return;
		count = (uint32)std::min<uint64>(count, area - first);
		uint32 i = 0;
		while (count > 0) {
			const uint32 y = (uint32)(first / fWidth);
			const uint32 x = (uint32)(first % fWidth);
			const uint32 take = std::min(count, fWidth - x);
			if (fRowOpen && y != fRow)
				_EndRow(fRow);
			fRow = y;
			fRowOpen = true;
			_AddSegment(x, x + take, i, pixels);
			if (x + take == fWidth)
				_EndRow(y);
			i += take;
			first += take;
			count -= take;
		}
	}

	// Averages what is still open and emits every row left; pixels never
	// added count as transparent.
	void Finish()
	{
		if (fRowOpen)
			_EndRow(fRow);
		while (fOutRow < fOutHeight)
			_EmitRow();
	}

protected:
	// Output row `row` from its sums over each pixel's area, in square units.
	virtual void EmitRow(uint32 row, const Sums* sums) = 0;

private:
	// Pixels x0 .. x1 - 1 of the open row (the first being pixels' i-th),
	// column by column: the pixels wholly inside a column are summed
	// plainly, and the one pixel an edge may cut is shared out by weight.
	template <class Pixels> void _AddSegment(uint32 x0, uint32 x1, uint32 i, const Pixels& pixels)
	{
		const uint64 width = fWidth, outWidth = fOutWidth;
		uint32 column = (uint32)(x0 * outWidth / width);
		uint32 x = x0;
		uint32 colour[Colours], alpha;
		while (x < x1) {
			const uint64 edge = (column + 1) * width;
			const uint32 end = (uint32)std::min<uint64>(x1, edge / outWidth);
			pixels.Add(i + (x - x0), i + (end - x0), fWhole[column]);
			x = end;
			if (x == x1)
				break;
			const uint64 near = edge - x * outWidth;
			if (near > 0) {
				pixels.Get(i + (x - x0), colour, alpha);
				_AddWeighted(fSplit[column], colour, alpha, near);
				_AddWeighted(fSplit[column + 1], colour, alpha, outWidth - near);
				x++;
			}
			column++;
		}
	}

	static void _AddWeighted(Sums& sums, const uint32* colour, uint32 alpha, uint64 weight)
	{
		const Sum a = alpha * weight;
		for (int c = 0; c < Colours; c++)
			sums.colour[c] += colour[c] * a;
		sums.alpha += a;
	}

	// Adds the finished source row y to the output rows it overlaps and
	// emits those it completes.
	void _EndRow(uint32 y)
	{
		fRowOpen = false;
		const uint64 height = fHeight, outHeight = fOutHeight;
		const uint32 outRow = (uint32)(y * outHeight / height);
		while (fOutRow < outRow)
			_EmitRow();
		const uint64 top = y * outHeight, bottom = top + outHeight;
		const uint64 edge = ((uint64)outRow + 1) * height;
		const Sum near = (Sum)(std::min(bottom, edge) - top);
		const Sum far = (Sum)outHeight - near;
		Sums* rows[2] = {fRows[0].get(), fRows[1].get()};
		for (uint32 x = 0; x < fOutWidth; x++) {
			const Sums& whole = fWhole[x];
			const Sums& split = fSplit[x];
			for (int c = 0; c < Colours; c++) {
				const Sum sum = whole.colour[c] * (Sum)fOutWidth + split.colour[c];
				rows[0][x].colour[c] += sum * near;
				rows[1][x].colour[c] += sum * far;
			}
			const Sum alpha = whole.alpha * (Sum)fOutWidth + split.alpha;
			rows[0][x].alpha += alpha * near;
			rows[1][x].alpha += alpha * far;
		}
		memset((void*)fWhole.get(), 0, sizeof(Sums) * fOutWidth);
		memset((void*)fSplit.get(), 0, sizeof(Sums) * fOutWidth);
		if (bottom >= edge)
			_EmitRow();
	}

	// Emits output row fOutRow from its sums and moves on to the next.
	void _EmitRow()
	{
		if (fOutRow >= fOutHeight)
			return;
		EmitRow(fOutRow, fRows[0].get());
		std::swap(fRows[0], fRows[1]);
		memset((void*)fRows[1].get(), 0, sizeof(Sums) * fOutWidth);
		fOutRow++;
	}

	uint32 fWidth, fHeight, fOutWidth, fOutHeight;
	bool fRowOpen = false; // some of row fRow has been added
	uint32 fRow = 0;
	uint32 fOutRow = 0; // the small image's first row not yet emitted
	// One source row: pixels wholly inside a column, unweighted, and the
	// pixels split between two columns, weighted by their parts.
	std::unique_ptr<Sums[]> fWhole, fSplit;
	// Output rows fOutRow and fOutRow + 1, weighted by area.
	std::unique_ptr<Sums[]> fRows[2];
};

#endif
