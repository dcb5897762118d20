#ifndef TEST_IMAGES_H
#define TEST_IMAGES_H

#include <PsdWriter.h>

#include <TranslatorAddOn.h>

#include <cstdint>
#include <vector>

using psdtest::Bytes;

// What each loader makes of the two-pixel test image.
enum class decoded { bitmap, gray, indexed, rgb, rgba, cmyk };

// A 2 x 1 image of the given mode, channels and depth whose planes tell the
// loaders apart: no two of the decodings above give the same pixels. 16-bit
// samples carry a low byte that must be dropped.
Bytes two_pixel_psd(uint16_t mode, uint16_t channels, uint16_t depth, bool packed);

// The 8 pixel bytes that loader gives for two_pixel_psd.
Bytes two_pixel_result(decoded kind);

// The 32 big-endian header bytes of a B_RGBA32 Be bitmap of width x height.
Bytes bitmap_header(uint32_t width, uint32_t height);

struct translation {
	status_t status;
	Bytes output;
	int writes;
};

// Runs a Translate into an output that stores at most limit bytes.
translation translate_with(decltype(&::Translate) translate, const Bytes& psd, uint32 outType = 0,
                           size_t limit = SIZE_MAX);

#endif
