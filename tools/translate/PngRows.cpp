#include "PngRows.h"

#include <cstdlib>
#include <cstring>

#if TRANSLATE_HAS_SSE2
#include <emmintrin.h>
#endif

namespace {

enum {
	kFilterNone = kPngFilterNone,
	kFilterSub = kPngFilterSub,
	kFilterUp = kPngFilterUp,
	kFilterAverage = kPngFilterAverage,
	kFilterPaeth = kPngFilterPaeth,
	kFilterCount
};

// The bytes of a B_RGBA32 pixel word in memory: blue, green, red, alpha.
inline const uint8* pixel_bytes(const BPrivate::BitmapImage& image, uint32 y)
{
	return image.bits + (size_t)y * image.rowBytes;
}

inline uint8 paeth(int left, int up, int corner)
{
	int estimate = left + up - corner;
	int toLeft = abs(estimate - left), toUp = abs(estimate - up), toCorner = abs(estimate - corner);
	if (toLeft <= toUp && toLeft <= toCorner)
		return (uint8)left;
	return (uint8)(toUp <= toCorner ? up : corner);
}

// Filtered bytes read as signed numbers, by size.
inline uint32 magnitude(uint8 value)
{
	return value < 128 ? value : 256 - value;
}

template <int Filter> inline uint8 predict(int left, int up, int corner)
{
	switch (Filter) {
	case kFilterSub:
		return (uint8)left;
	case kFilterUp:
		return (uint8)up;
	case kFilterAverage:
		return (uint8)((left + up) >> 1);
	case kFilterPaeth:
		return paeth(left, up, corner);
	default:
		return 0;
	}
}

// One filter over bytes [from, to) of a row; returns the sum of the
// output's magnitudes.
template <int Filter>
uint32 apply_plain(const uint8* row, const uint8* above, uint32 from, uint32 to, uint32 bpp,
                   uint8* out)
{
	uint32 sum = 0;
	for (uint32 i = from; i < to; i++) {
		int left = i >= bpp ? row[i - bpp] : 0;
		int corner = i >= bpp ? above[i - bpp] : 0;
		out[i] = (uint8)(row[i] - predict<Filter>(left, above[i], corner));
		sum += magnitude(out[i]);
	}
	return sum;
}

#if TRANSLATE_HAS_SSE2

inline __m128i load(const uint8* p)
{
	return _mm_loadu_si128((const __m128i*)p);
}

// Paeth's predictor for eight samples in 16-bit lanes.
inline __m128i paeth8(__m128i left, __m128i up, __m128i corner)
{
	const __m128i zero = _mm_setzero_si128();
	__m128i toLeft = _mm_sub_epi16(up, corner); // estimate - left
	__m128i toUp = _mm_sub_epi16(left, corner); // estimate - up
	__m128i toCorner = _mm_add_epi16(toLeft, toUp);
	toLeft = _mm_max_epi16(toLeft, _mm_sub_epi16(zero, toLeft));
	toUp = _mm_max_epi16(toUp, _mm_sub_epi16(zero, toUp));
	toCorner = _mm_max_epi16(toCorner, _mm_sub_epi16(zero, toCorner));
	__m128i notLeft =
	    _mm_or_si128(_mm_cmpgt_epi16(toLeft, toUp), _mm_cmpgt_epi16(toLeft, toCorner));
	__m128i notUp = _mm_cmpgt_epi16(toUp, toCorner);
	__m128i upOrCorner = _mm_or_si128(_mm_andnot_si128(notUp, up), _mm_and_si128(notUp, corner));
	return _mm_or_si128(_mm_andnot_si128(notLeft, left), _mm_and_si128(notLeft, upOrCorner));
}

template <int Filter>
inline __m128i predict16(const uint8* row, const uint8* above, uint32 i, uint32 bpp)
{
	const __m128i zero = _mm_setzero_si128();
	switch (Filter) {
	case kFilterSub:
		return load(row + i - bpp);
	case kFilterUp:
		return load(above + i);
	case kFilterAverage: {
		__m128i left = load(row + i - bpp), up = load(above + i);
		// pavgb rounds up; the filter rounds down.
		__m128i odd = _mm_and_si128(_mm_xor_si128(left, up), _mm_set1_epi8(1));
		return _mm_sub_epi8(_mm_avg_epu8(left, up), odd);
	}
	case kFilterPaeth: {
		__m128i left = load(row + i - bpp), up = load(above + i);
		__m128i corner = load(above + i - bpp);
		__m128i low = paeth8(_mm_unpacklo_epi8(left, zero), _mm_unpacklo_epi8(up, zero),
		                     _mm_unpacklo_epi8(corner, zero));
		__m128i high = paeth8(_mm_unpackhi_epi8(left, zero), _mm_unpackhi_epi8(up, zero),
		                      _mm_unpackhi_epi8(corner, zero));
		return _mm_packus_epi16(low, high);
	}
	default:
		return zero;
	}
}

// Sixteen bytes at a time from byte 16 on (where byte i - bpp exists), the
// rest plain.
template <int Filter>
uint32 apply_vector(const uint8* row, const uint8* above, uint32 length, uint32 bpp, uint8* out)
{
	const uint32 head = length < 16 ? length : 16;
	uint32 sum = apply_plain<Filter>(row, above, 0, head, bpp, out);
	const __m128i zero = _mm_setzero_si128();
	__m128i sums = zero;
	uint32 i = head;
	for (; i + 16 <= length; i += 16) {
		__m128i filtered = _mm_sub_epi8(load(row + i), predict16<Filter>(row, above, i, bpp));
		_mm_storeu_si128((__m128i*)(out + i), filtered);
		__m128i size = _mm_min_epu8(filtered, _mm_sub_epi8(zero, filtered));
		sums = _mm_add_epi64(sums, _mm_sad_epu8(size, zero));
	}
	sum += (uint32)_mm_cvtsi128_si32(sums) + (uint32)_mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
	return sum + apply_plain<Filter>(row, above, i, length, bpp, out);
}

#endif

typedef uint32 (*FilterFunction)(const uint8*, const uint8*, uint32, uint32, uint8*);

template <int Filter>
uint32 apply(const uint8* row, const uint8* above, uint32 length, uint32 bpp, uint8* out)
{
	return apply_plain<Filter>(row, above, 0, length, bpp, out);
}

const FilterFunction kPlainFilters[kFilterCount] = {apply<kFilterNone>, apply<kFilterSub>,
                                                    apply<kFilterUp>, apply<kFilterAverage>,
                                                    apply<kFilterPaeth>};
#if TRANSLATE_HAS_SSE2
const FilterFunction kVectorFilters[kFilterCount] = {
    apply_vector<kFilterNone>, apply_vector<kFilterSub>, apply_vector<kFilterUp>,
    apply_vector<kFilterAverage>, apply_vector<kFilterPaeth>};
#else
const FilterFunction* const kVectorFilters = kPlainFilters;
#endif

} // namespace

PngColorType png_color_type(const BPrivate::BitmapImage& image)
{
	if (image.colors == B_CMAP8)
		return kPngPalette;
	// All bits of all words ANDed: alpha stays 0xFF only if every alpha is;
	// blue ^ green and green ^ red ORed: zero only if every pixel is gray.
	uint32 common = 0xFFFFFFFF;
	uint32 colour = 0;
	for (uint32 y = 0; y < image.height && (colour == 0 || common >> 24 == 0xFF); y++) {
		const uint8* row = pixel_bytes(image, y);
		for (uint32 x = 0; x < image.width; x++) {
			uint32 word;
			memcpy(&word, row + 4 * x, 4);
			common &= word;
			colour |= (word ^ (word >> 8)) & 0xFFFF;
		}
	}
	bool opaque = common >> 24 == 0xFF;
	if (colour == 0)
		return opaque ? kPngGray : kPngGrayAlpha;
	return opaque ? kPngRGB : kPngRGBA;
}

uint32 png_pixel_bytes(PngColorType type)
{
	switch (type) {
	case kPngGray:
	case kPngPalette:
		return 1;
	case kPngGrayAlpha:
		return 2;
	case kPngRGB:
		return 3;
	default:
		return 4;
	}
}

void png_row_samples(const BPrivate::BitmapImage& image, PngColorType type, uint32 y,
                     uint8* samples)
{
	const uint8* in = pixel_bytes(image, y);
	const uint32 width = image.width;
	switch (type) {
	case kPngPalette:
		memcpy(samples, in, width);
		break;
	case kPngGray:
		for (uint32 x = 0; x < width; x++)
			samples[x] = in[4 * x];
		break;
	case kPngGrayAlpha:
		for (uint32 x = 0; x < width; x++) {
			samples[2 * x] = in[4 * x];
			samples[2 * x + 1] = in[4 * x + 3];
		}
		break;
	case kPngRGB:
		for (uint32 x = 0; x < width; x++) {
			samples[3 * x] = in[4 * x + 2];
			samples[3 * x + 1] = in[4 * x + 1];
			samples[3 * x + 2] = in[4 * x];
		}
		break;
	case kPngRGBA:
		for (uint32 x = 0; x < width; x++) {
			samples[4 * x] = in[4 * x + 2];
			samples[4 * x + 1] = in[4 * x + 1];
			samples[4 * x + 2] = in[4 * x];
			samples[4 * x + 3] = in[4 * x + 3];
		}
		break;
	}
}

PngRowFilter::PngRowFilter(uint32 rowBytes, uint32 pixelBytes, PngFilter filter, bool vector)
    : fRowBytes(rowBytes), fPixelBytes(pixelBytes), fFilter(filter),
      fFilters(vector ? kVectorFilters : kPlainFilters),
      fCandidate(filter == kPngFilterAdaptive ? rowBytes : 0), fZeros(rowBytes, 0)
{
}

void PngRowFilter::Filter(const uint8* row, const uint8* above, uint8* out)
{
	if (above == nullptr)
		above = fZeros.data();
	if (fFilter != kPngFilterAdaptive) {
		out[0] = (uint8)fFilter;
		fFilters[fFilter](row, above, fRowBytes, fPixelBytes, out + 1);
		return;
	}
	uint32 best = fFilters[kFilterNone](row, above, fRowBytes, fPixelBytes, out + 1);
	out[0] = kFilterNone;
	for (int filter = kFilterSub; filter < kFilterCount; filter++) {
		uint32 sum = fFilters[filter](row, above, fRowBytes, fPixelBytes, fCandidate.data());
		if (sum < best) {
			best = sum;
			out[0] = (uint8)filter;
			memcpy(out + 1, fCandidate.data(), fRowBytes);
		}
	}
}
