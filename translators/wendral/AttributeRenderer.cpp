#include "AttributeRenderer.h"

#include "DisplayBits.h"

// A character row at a time: its 32 attributes become ink and paper words
// once, then serve its eight pixel rows.
void render_cells(const uint8* bitmap, const uint8* attributes, const AttributeColours& colours,
                  uint8* pixels)
{
	for (int row = 0; row < 24; row++) {
		uint64 paper[32];
		uint64 inkXorPaper[32];
		for (int x = 0; x < 32; x++) {
			uint8 attribute = attributes[32 * row + x];
			paper[x] = splat(colours.paper[attribute]);
			inkXorPaper[x] = splat(colours.ink[attribute]) ^ paper[x];
		}
		for (int line = 0; line < 8; line++) {
			int y = 8 * row + line;
			const uint8* bits = bitmap + bitmap_row(y);
			uint8* out = pixels + kScreenWidth * y;
			for (int x = 0; x < 32; x++)
				put_eight(out + 8 * x, bits[x], paper[x], inkXorPaper[x]);
		}
	}
}

void render_lines(const uint8* bitmap, const uint8* attributes, const AttributeColours& colours,
                  uint8* pixels)
{
	for (int y = 0; y < kScreenHeight; y++) {
		size_t offset = bitmap_row(y);
		uint8* out = pixels + kScreenWidth * y;
		for (int x = 0; x < 32; x++) {
			uint8 attribute = attributes[offset + x];
			uint64 paper = splat(colours.paper[attribute]);
			put_eight(out + 8 * x, bitmap[offset + x], paper,
			          splat(colours.ink[attribute]) ^ paper);
		}
	}
}
