#ifndef TRANSLATE_PNG_ROWS_H
#define TRANSLATE_PNG_ROWS_H

// The rows of a PNG image as they go into its compressed data: samples in
// the PNG colour type's order, each row led by the filter that predicts it.

#include <BitmapStream.h>

#include <vector>

// PNG colour types, as IHDR holds them.
enum PngColorType {
	kPngGray = 0,
	kPngRGB = 2,
	kPngPalette = 3,
	kPngGrayAlpha = 4,
	kPngRGBA = 6,
};

// The smallest colour type that holds every pixel exactly: palette for
// B_CMAP8; for B_RGBA32 gray when red = green = blue everywhere, without
// alpha when every alpha is 255.
PngColorType png_color_type(const BPrivate::BitmapImage& image);

// Bytes per pixel of an 8-bit image of the colour type.
uint32 png_pixel_bytes(PngColorType type);

// Row y of the image in the colour type's sample order.
void png_row_samples(const BPrivate::BitmapImage& image, PngColorType type, uint32 y,
                     uint8* samples);

#if defined(__SSE2__)
#define TRANSLATE_HAS_SSE2 1
#else
#define TRANSLATE_HAS_SSE2 0
#endif

// The PNG row filters by their type byte, and the choice of one per row.
enum PngFilter {
	kPngFilterNone = 0,
	kPngFilterSub,
	kPngFilterUp,
	kPngFilterAverage,
	kPngFilterPaeth,
	// Row by row the filter whose output bytes, read as signed, are smallest
	// in sum: the usual heuristic, which leaves runs and small values for
	// the compressor.
	kPngFilterAdaptive,
};

// Filters rows of `rowBytes` sample bytes. The filters have SSE2 forms where
// the compiler targets SSE2 and plain ones for other CPUs; both give the
// same bytes, and `vector` false picks the plain ones (for tests).
class PngRowFilter {
public:
	PngRowFilter(uint32 rowBytes, uint32 pixelBytes, PngFilter filter,
	             bool vector = TRANSLATE_HAS_SSE2);

	// Writes the filter type byte and the filtered row (rowBytes + 1 bytes)
	// to out. `above` is the previous row's samples, or null for the first
	// row.
	void Filter(const uint8* row, const uint8* above, uint8* out);

private:
	uint32 fRowBytes;
	uint32 fPixelBytes;
	PngFilter fFilter;
	uint32 (*const* fFilters)(const uint8*, const uint8*, uint32, uint32, uint8*);
	std::vector<uint8> fCandidate;
	std::vector<uint8> fZeros;
};

#endif
