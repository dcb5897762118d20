// Timex 512 x 192: each 16-pixel run of a row is a byte of the first bitmap
// then the byte at the same place in the second. The mode byte after them
// picks the ink; the paper is its complement, and nothing is bright.

#include "DisplayBits.h"
#include "RenderScreen.h"

void render_timex_hi_res(const uint8* screen, const uint8 colorIndex[16], uint8* pixels)
{
	int ink = (screen[2 * kBitmapBytes] >> 3) & 7;
	uint64 paper = splat(colorIndex[ink ^ 7]);
	uint64 inkXorPaper = splat(colorIndex[ink]) ^ paper;
	const uint8* second = screen + kBitmapBytes;
	for (int y = 0; y < kScreenHeight; y++) {
		size_t offset = bitmap_row(y);
		uint8* out = pixels + 2 * kScreenWidth * y;
		for (int x = 0; x < 32; x++) {
			put_eight(out + 16 * x, screen[offset + x], paper, inkXorPaper);
			put_eight(out + 16 * x + 8, second[offset + x], paper, inkXorPaper);
		}
	}
}
