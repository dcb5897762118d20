// Wendral: reads ZX Spectrum SCREEN$ images (the 6912-byte display memory
// dump, bare or with a prefix) into 8-bit colour-mapped Be bitmaps.

#include <BitmapStream.h>
#include <ByteOrder.h>
#include <Screen.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <cstdlib>
#include <cstring>

namespace {

const uint32 kZXType = 0x5A582020;  // 'ZX  '

const int kWidth = 256;
const int kHeight = 192;
const size_t kBitmapBytes = 6144;
const ssize_t kScreenBytes = 6912;
const size_t kPixelBytes = kWidth * kHeight;
// One byte more than the longest accepted stream, so that a single Read
// tells a 7396-byte stream from a longer one.
const size_t kReadBytes = 7397;

// Where the screen starts in a stream of the given length; -1 if the length
// is not one of the accepted layouts.
long screen_offset(ssize_t length)
{
	switch (length) {
		case kScreenBytes: return 0;
		case kScreenBytes + 9: return 9;
		case kScreenBytes + 12: return 12;
		case kScreenBytes + 265 + 219: return 265;
		default: return -1;
	}
}

// Bit 1 governs red, bit 2 green, bit 0 blue; bit 3 lifts 170 to 255.
rgb_color palette_color(int n)
{
	uint8 level = (n & 8) ? 255 : 170;
	return make_color((n & 2) ? level : 0, (n & 4) ? level : 0, (n & 1) ? level : 0, 255);
}

// kExpand[b] has byte j (in memory order) set to 0xFF when bit 7 - j of b
// is set: one bitmap byte becomes a mask for eight pixels, leftmost first.
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

constexpr ExpandTable kExpand = make_expand_table();

uint64 splat(uint8 index)
{
	return index * 0x0101010101010101ull;
}

// Renders a screen through the 16-entry colour-index table. Works one
// character row at a time: its 32 attributes give each cell's ink and
// paper as eight-byte words, then each of its eight pixel rows is a run
// of 32 bitmap bytes, each blended as paper ^ ((ink ^ paper) & mask).
void render_screen(const uint8* screen, const uint8 colorIndex[16], uint8* pixels)
{
	const uint8* attributes = screen + kBitmapBytes;
	for (int row = 0; row < 24; row++) {
		uint64 paper[32];
		uint64 inkXorPaper[32];
		for (int x = 0; x < 32; x++) {
			uint8 attribute = attributes[32 * row + x];
			int bright = (attribute >> 3) & 8;
			uint64 ink = splat(colorIndex[(attribute & 7) | bright]);
			paper[x] = splat(colorIndex[((attribute >> 3) & 7) | bright]);
			inkXorPaper[x] = ink ^ paper[x];
		}
		const uint8* block = screen + 2048 * (row / 8) + 32 * (row % 8);
		for (int line = 0; line < 8; line++) {
			const uint8* bits = block + 256 * line;
			uint8* out = pixels + kWidth * (8 * row + line);
			for (int x = 0; x < 32; x++) {
				uint64 word = paper[x] ^ (inkXorPaper[x] & kExpand.mask[bits[x]]);
				memcpy(out + 8 * x, &word, 8);
			}
		}
	}
}

void fill_color_index(uint8 colorIndex[16])
{
	BScreen screen(B_MAIN_SCREEN_ID);
	for (int n = 0; n < 16; n++) {
		rgb_color c = palette_color(n);
		colorIndex[n] = screen.IndexForColor(c.red, c.green, c.blue, c.alpha);
	}
}

}  // namespace

char translatorName[] = "Wendral";
char translatorInfo[] = "ZX Spectrum SCREEN$ images, by the Wendral authors";
int32 translatorVersion = 210;

translation_format inputFormats[] = {
	{kZXType, B_TRANSLATOR_BITMAP, 0.9f, 0.8f, "image/x-zx", "ZX Spectrum SCREEN$"},
	{0, 0, 0.0f, 0.0f, "", ""},
};

translation_format outputFormats[] = {
	{B_TRANSLATOR_BITMAP, B_TRANSLATOR_BITMAP, 0.3f, 0.5f, "image/x-be-bitmap", "Be bitmap"},
	{0, 0, 0.0f, 0.0f, "", ""},
};

status_t Identify(BPositionIO* inSource, const translation_format*, BMessage*,
	translator_info* outInfo, uint32 outType)
{
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	if (inSource == nullptr || outInfo == nullptr)
		return B_BAD_VALUE;

	uint8 scratch[kReadBytes];
	ssize_t length = inSource->Read(scratch, sizeof(scratch));
	if (screen_offset(length) < 0)
		return B_NO_TRANSLATOR;

	BPrivate::fill_translator_info(inputFormats[0], outInfo);
	return B_OK;
}

status_t Translate(BPositionIO* inSource, const translator_info* inInfo, BMessage*,
	uint32 outType, BPositionIO* outDestination)
{
	if (inSource == nullptr || inInfo == nullptr || outDestination == nullptr)
		return B_BAD_VALUE;
	if (inInfo->type != kZXType)
		return B_NO_TRANSLATOR;
	if (outType == 0)
		outType = B_TRANSLATOR_BITMAP;
	if (outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;

	uint8 colorIndex[16];
	fill_color_index(colorIndex);

	uint8 input[kReadBytes];
	ssize_t length = inSource->Read(input, sizeof(input));
	long offset = screen_offset(length);
	if (offset < 0)
		return B_NO_TRANSLATOR;

	uint8* pixels = (uint8*)malloc(kPixelBytes);
	if (pixels == nullptr)
		return B_ERROR;
	render_screen(input + offset, colorIndex, pixels);

	status_t status = BPrivate::write_bitmap_stream(outDestination,
		BPrivate::bitmap_header(kWidth, kHeight, B_CMAP8, kWidth), pixels);
	free(pixels);
	return status;
}
