// The PNG row filters: the SSE2 and the plain forms give the same bytes for
// every filter, sample size and row length, and every filtered row undoes
// to the row it came from.

#include "PngRows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

typedef std::vector<uint8> Bytes;

// The decoder's side, written from the PNG format's definition.
Bytes unfilter(const Bytes& filtered, const Bytes& above, uint32 bpp)
{
	Bytes row(filtered.begin() + 1, filtered.end());
	for (size_t i = 0; i < row.size(); i++) {
		int left = i >= bpp ? row[i - bpp] : 0;
		int up = above[i];
		int corner = i >= bpp ? above[i - bpp] : 0;
		int p = left + up - corner;
		int predicted[5] = {0, left, up, (left + up) / 2,
		                    abs(p - left) <= abs(p - up) && abs(p - left) <= abs(p - corner) ? left
		                    : abs(p - up) <= abs(p - corner)                                 ? up
		                                                     : corner};
		row[i] = (uint8)(row[i] + predicted[filtered[0]]);
	}
	return row;
}

// Rows of noise, of ramps and of repeats, so every filter wins somewhere.
Bytes makeRow(std::mt19937& random, size_t size, int kind)
{
	Bytes row(size);
	for (size_t i = 0; i < size; i++)
		row[i] = kind == 0 ? (uint8)random() : kind == 1 ? (uint8)(3 * i) : (uint8)(i / 7);
	return row;
}

TEST(PngRows, VectorAndPlainFiltersAgreeAndUndo)
{
	std::mt19937 random(9);
	const PngFilter filters[] = {kPngFilterNone,    kPngFilterSub,   kPngFilterUp,
	                             kPngFilterAverage, kPngFilterPaeth, kPngFilterAdaptive};
	for (uint32 bpp = 1; bpp <= 4; bpp++) {
		for (size_t size : {1, 3, 15, 16, 17, 31, 32, 33, 100, 4099}) {
			const size_t length = size * bpp;
			for (int kind = 0; kind < 3; kind++) {
				const Bytes row = makeRow(random, length, kind);
				const Bytes above = makeRow(random, length, (kind + 1) % 3);
				for (PngFilter filter : filters) {
					SCOPED_TRACE(testing::Message()
					             << "filter " << filter << ", " << bpp << " bytes a pixel, " << size
					             << " pixels, row kind " << kind);
					Bytes vector(length + 1), plain(length + 1);
					PngRowFilter(length, bpp, filter, true)
					    .Filter(row.data(), above.data(), vector.data());
					PngRowFilter(length, bpp, filter, false)
					    .Filter(row.data(), above.data(), plain.data());
					ASSERT_EQ(plain, vector);
					ASSERT_EQ(row, unfilter(vector, above, bpp));
					if (filter != kPngFilterAdaptive) {
						ASSERT_EQ(filter, vector[0]);
					}
				}
			}
		}
	}
}

TEST(PngRows, FirstRowHasZerosAbove)
{
	const Bytes row = {10, 20, 30, 40, 50, 60};
	Bytes out(row.size() + 1);
	PngRowFilter(row.size(), 3, kPngFilterUp).Filter(row.data(), nullptr, out.data());
	EXPECT_EQ(Bytes({kPngFilterUp, 10, 20, 30, 40, 50, 60}), out);
	PngRowFilter(row.size(), 3, kPngFilterPaeth).Filter(row.data(), nullptr, out.data());
	EXPECT_EQ(Bytes({kPngFilterPaeth, 10, 20, 30, 30, 30, 30}), out);
}

} // namespace
