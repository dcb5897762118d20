// The forms whose colours no fixed colour map holds: each is drawn first as
// one byte per pixel naming a colour of its own small table, then every byte
// becomes that colour as a B_RGBA32 pixel.

#include "AttributeRenderer.h"
#include "DisplayBits.h"
#include "RenderScreen.h"

#include <cstdlib>

namespace {

// A pixel in B_RGBA32 memory order: blue, green, red, alpha.
uint32 rgba32(uint8 red, uint8 green, uint8 blue)
{
	const uint8 bytes[4] = {blue, green, red, 255};
	uint32 pixel;
	memcpy(&pixel, bytes, 4);
	return pixel;
}

void expand_to_rgba32(const uint8* plane, const uint32* table, uint8* pixels)
{
	for (size_t i = 0; i < kScreenPixels; i++)
		memcpy(pixels + 4 * i, &table[plane[i]], 4);
}

// A 3-bit ULAplus level spread over eight bits.
uint8 ulaplus_level(int v)
{
	return (uint8)((v << 5) | (v << 2) | (v >> 1));
}

// A palette byte GGGRRRBB; blue's third bit is the OR of its two.
uint32 ulaplus_color(uint8 entry)
{
	int blue = entry & 3;
	return rgba32(ulaplus_level((entry >> 2) & 7), ulaplus_level(entry >> 5),
	              ulaplus_level((blue << 1) | (blue != 0)));
}

uint8 average(uint8 a, uint8 b)
{
	return (uint8)((a + b + 1) >> 1);
}

} // namespace

// Flash and bright pick one of four 16-entry tables; ink is entry INK of it,
// paper entry 8 + PAPER.
bool render_ulaplus(const uint8* screen, uint8* pixels)
{
	AttributeColours entries;
	for (int attribute = 0; attribute < 256; attribute++) {
		int table = 16 * (attribute >> 6);
		entries.ink[attribute] = (uint8)(table + (attribute & 7));
		entries.paper[attribute] = (uint8)(table + 8 + ((attribute >> 3) & 7));
	}
	uint32 palette[256] = {};
	for (int i = 0; i < 64; i++)
		palette[i] = ulaplus_color(screen[kScreenBytes + i]);

	uint8* plane = (uint8*)malloc(kScreenPixels);
	if (plane == nullptr)
		return false;
	render_cells(screen, screen + kBitmapBytes, entries, plane);
	expand_to_rgba32(plane, palette, pixels);
	free(plane);
	return true;
}

// Each screen is drawn in colour numbers; the pair of numbers under a pixel,
// first screen in the high nibble, indexes the table of their mixtures.
bool render_gigascreen(const uint8* screens, uint8* pixels)
{
	uint8 numbers[16];
	for (int n = 0; n < 16; n++)
		numbers[n] = (uint8)n;
	AttributeColours colours;
	spectrum_attribute_colours(numbers, &colours);

	uint32 mixture[256];
	for (int a = 0; a < 16; a++) {
		for (int b = 0; b < 16; b++) {
			rgb_color first = spectrum_color(a), second = spectrum_color(b);
			mixture[16 * a + b] =
			    rgba32(average(first.red, second.red), average(first.green, second.green),
			           average(first.blue, second.blue));
		}
	}

	uint8* planes = (uint8*)malloc(2 * kScreenPixels);
	if (planes == nullptr)
		return false;
	uint8* first = planes;
	uint8* second = planes + kScreenPixels;
	render_cells(screens, screens + kBitmapBytes, colours, first);
	render_cells(screens + kScreenBytes, screens + kScreenBytes + kBitmapBytes, colours, second);
	for (size_t i = 0; i < kScreenPixels; i++)
		first[i] = (uint8)(first[i] << 4 | second[i]);
	expand_to_rgba32(first, mixture, pixels);
	free(planes);
	return true;
}
