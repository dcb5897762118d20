#ifndef WENDRAL_DISPLAY_BITS_H
#define WENDRAL_DISPLAY_BITS_H

// The Spectrum's display file and how one of its bytes becomes eight output
// pixels of one byte each.

#include <ByteOrder.h>
#include <SupportDefs.h>

#include <cstring>

const int kScreenWidth = 256;
const int kScreenHeight = 192;
const size_t kBitmapBytes = 6144;
const size_t kScreenBytes = 6912; // the bitmap and 768 attributes, one per 8 x 8 cell
const size_t kScreenPixels = kScreenWidth * kScreenHeight;

// Where the 32 bytes of pixel row y start: each third of the screen stores
// its rows interleaved, row 0, 8, 16 ... 56, then row 1, 9 ...
inline size_t bitmap_row(int y)
{
	return 2048 * (y / 64) + 256 * (y % 8) + 32 * ((y / 8) % 8);
}

// kExpand.mask[b] has byte j (in memory order) set to 0xFF when bit 7 - j of
// b is set: one bitmap byte becomes a mask for eight pixels, leftmost first.
// Built at compile time, so loading the add-on does no work.
struct ExpandTable {
	uint64 mask[256];
};

constexpr ExpandTable make_expand_table()
{
	ExpandTable table = {};
	for (int b = 0; b < 256; b++) {
		for (int j = 0; j < 8; j++) {
			int shift = B_HOST_IS_LENDIAN ? 8 * j : 8 * (7 - j);
			if (b & (0x80 >> j))
				table.mask[b] |= (uint64)0xFF << shift;
		}
	}
	return table;
}

inline constexpr ExpandTable kExpand = make_expand_table();

inline uint64 splat(uint8 value)
{
	return value * 0x0101010101010101ull;
}

// Eight pixels of one bitmap byte, paper ^ ((ink ^ paper) & mask): no branch
// per pixel.
inline void put_eight(uint8* out, uint8 bits, uint64 paper, uint64 inkXorPaper)
{
	uint64 word = paper ^ (inkXorPaper & kExpand.mask[bits]);
	memcpy(out, &word, 8);
}

#endif
