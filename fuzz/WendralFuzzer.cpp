// Wendral's Identify and Translate on any bytes: both accept exactly the four
// SCREEN$ lengths, and an accepted stream becomes the one Be bitmap that the
// Spectrum's display layout gives, pixel for pixel.

#include "FuzzSupport.h"

#include <Screen.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

namespace {

const uint32 kZXType = 0x5A582020;  // 'ZX  '
const size_t kPixelBytes = 256 * 192;

long screenOffset(size_t size)
{
	switch (size) {
		case 6912: return 0;
		case 6921: return 9;
		case 6924: return 12;
		case 7396: return 265;
		default: return -1;
	}
}

const uint8_t kHeader[32] = {0x62, 0x69, 0x74, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0x43, 0x7F, 0, 0,
	0x43, 0x3F, 0, 0, 0, 0, 1, 0, 0, 0, 0, 4, 0, 0, 0xC0, 0};

// The screen's colour-map index of each Spectrum colour number.
struct ColorIndexes {
	uint8_t index[16];

	ColorIndexes()
	{
		BScreen screen;
		for (int n = 0; n < 16; n++) {
			const uint8_t level = (n & 8) ? 255 : 170;
			index[n] = screen.IndexForColor((n & 2) ? level : 0, (n & 4) ? level : 0,
				(n & 1) ? level : 0, 255);
		}
	}
};

// Straight from the display layout, one pixel at a time.
uint8_t referencePixel(const uint8_t* screen, const ColorIndexes& colors, int x, int y)
{
	const int column = x / 8;
	const uint8_t byte = screen[2048 * (y / 64) + 256 * (y % 8) + 32 * ((y / 8) % 8) + column];
	const uint8_t attribute = screen[6144 + 32 * (y / 8) + column];
	const int bright = (attribute & 0x40) ? 8 : 0;
	const bool ink = byte & (0x80 >> (x % 8));
	return colors.index[ink ? (attribute & 7) + bright : ((attribute >> 3) & 7) + bright];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const long offset = screenOffset(size);

	BMemoryIO identifyIn(data, size);
	translator_info info = {};
	status_t identified = Identify(&identifyIn, nullptr, nullptr, &info, 0);
	FUZZ_CHECK(identified == (offset >= 0 ? B_OK : B_NO_TRANSLATOR));
	if (identified == B_OK) {
		FUZZ_CHECK(info.type == kZXType && info.group == B_TRANSLATOR_BITMAP);
	}

	// Translate decides by the stream too, not by what Identify said.
	info.type = kZXType;
	BMemoryIO in(data, size);
	BMallocIO out;
	status_t status = Translate(&in, &info, nullptr, 0, &out);
	FUZZ_CHECK(status == identified);
	if (status != B_OK) {
		FUZZ_CHECK(out.BufferLength() == 0);
		return 0;
	}
	FUZZ_CHECK(out.BufferLength() == sizeof(kHeader) + kPixelBytes);
	const uint8_t* bytes = (const uint8_t*)out.Buffer();
	FUZZ_CHECK(memcmp(bytes, kHeader, sizeof(kHeader)) == 0);

	static const ColorIndexes indexes;
	const uint8_t* screen = data + offset;
	static uint8_t expected[kPixelBytes];
	for (int y = 0; y < 192; y++) {
		for (int x = 0; x < 256; x++)
			expected[256 * y + x] = referencePixel(screen, indexes, x, y);
	}
	FUZZ_CHECK(memcmp(bytes + sizeof(kHeader), expected, kPixelBytes) == 0);
	return 0;
}
