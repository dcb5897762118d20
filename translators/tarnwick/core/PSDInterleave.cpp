#include "PSDInterleave.h"

#include "PSDPixel.h"
#include "PSDVectorCode.h"

#include <colour/PSDColourFormulas.h>

#if PSD_CORE_HAS_SSE2
#include <emmintrin.h>
#endif

namespace {

// Each takes pixels [from, count): the vector forms leave their tails here.

void interleavePlain(const uint8* red, const uint8* green, const uint8* blue, const uint8* alpha,
                     uint32 from, uint32 count, uint32* pixels)
{
	for (uint32 i = from; i < count; i++)
		pixels[i] = psdCorePixel(blue[i], green[i], red[i], alpha != nullptr ? alpha[i] : 255);
}

void grayPlain(const uint8* gray, uint32 from, uint32 count, uint32* pixels)
{
	for (uint32 i = from; i < count; i++)
		pixels[i] = psdCorePixel(gray[i], gray[i], gray[i], 255);
}

void cmykPlain(const uint8* const planes[4], uint32 from, uint32 count, uint32* pixels)
{
	for (uint32 i = from; i < count; i++) {
		uint8 black = planes[3][i];
		pixels[i] = psdCorePixel(psdColourInkByte(planes[2][i], black),
		                         psdColourInkByte(planes[1][i], black),
		                         psdColourInkByte(planes[0][i], black), 255);
	}
}

#if PSD_CORE_HAS_SSE2

inline __m128i load(const uint8* p)
{
	return _mm_loadu_si128((const __m128i*)p);
}

// Sixteen pixels from sixteen samples of each of the four bytes.
inline void store16(uint32* pixels, __m128i blue, __m128i green, __m128i red, __m128i alpha)
{
	__m128i blueGreenLow = _mm_unpacklo_epi8(blue, green);
	__m128i blueGreenHigh = _mm_unpackhi_epi8(blue, green);
	__m128i redAlphaLow = _mm_unpacklo_epi8(red, alpha);
	__m128i redAlphaHigh = _mm_unpackhi_epi8(red, alpha);
	__m128i* out = (__m128i*)pixels;
	_mm_storeu_si128(out, _mm_unpacklo_epi16(blueGreenLow, redAlphaLow));
	_mm_storeu_si128(out + 1, _mm_unpackhi_epi16(blueGreenLow, redAlphaLow));
	_mm_storeu_si128(out + 2, _mm_unpacklo_epi16(blueGreenHigh, redAlphaHigh));
	_mm_storeu_si128(out + 3, _mm_unpackhi_epi16(blueGreenHigh, redAlphaHigh));
}

uint32 interleaveVector(const uint8* red, const uint8* green, const uint8* blue, const uint8* alpha,
                        uint32 count, uint32* pixels)
{
	const __m128i opaque = _mm_set1_epi8((char)0xFF);
	uint32 i = 0;
	for (; i + 16 <= count; i += 16) {
		store16(pixels + i, load(blue + i), load(green + i), load(red + i),
		        alpha != nullptr ? load(alpha + i) : opaque);
	}
	return i;
}

uint32 grayVector(const uint8* gray, uint32 count, uint32* pixels)
{
	const __m128i opaque = _mm_set1_epi8((char)0xFF);
	uint32 i = 0;
	for (; i + 16 <= count; i += 16) {
		__m128i value = load(gray + i);
		store16(pixels + i, value, value, value, opaque);
	}
	return i;
}

// psdColourInkByte for sixteen samples.
inline __m128i multiplyByBlack16(__m128i samples, __m128i blackLow, __m128i blackHigh)
{
	const __m128i zero = _mm_setzero_si128();
	__m128i low = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(samples, zero), blackLow), 8);
	__m128i high = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(samples, zero), blackHigh), 8);
	return _mm_packus_epi16(low, high);
}

uint32 cmykVector(const uint8* const planes[4], uint32 count, uint32* pixels)
{
	const __m128i zero = _mm_setzero_si128();
	const __m128i opaque = _mm_set1_epi8((char)0xFF);
	uint32 i = 0;
	for (; i + 16 <= count; i += 16) {
		__m128i black = load(planes[3] + i);
		__m128i blackLow = _mm_unpacklo_epi8(black, zero);
		__m128i blackHigh = _mm_unpackhi_epi8(black, zero);
		store16(pixels + i, multiplyByBlack16(load(planes[2] + i), blackLow, blackHigh),
		        multiplyByBlack16(load(planes[1] + i), blackLow, blackHigh),
		        multiplyByBlack16(load(planes[0] + i), blackLow, blackHigh), opaque);
	}
	return i;
}

#endif

} // namespace

void psdCoreInterleaveGray(const uint8* plane, uint32 count, uint32* pixels)
{
	uint32 done = 0;
#if PSD_CORE_HAS_SSE2
	if (psdCoreVectorCode())
		done = grayVector(plane, count, pixels);
#endif
	grayPlain(plane, done, count, pixels);
}

namespace {

// alpha may be null: the pixels are then opaque.
void interleave(const uint8* const rgb[3], const uint8* alpha, uint32 count, uint32* pixels)
{
	uint32 done = 0;
#if PSD_CORE_HAS_SSE2
	if (psdCoreVectorCode())
		done = interleaveVector(rgb[0], rgb[1], rgb[2], alpha, count, pixels);
#endif
	interleavePlain(rgb[0], rgb[1], rgb[2], alpha, done, count, pixels);
}

} // namespace

void psdCoreInterleaveRGB(const uint8* const planes[3], uint32 count, uint32* pixels)
{
	interleave(planes, nullptr, count, pixels);
}

void psdCoreInterleaveRGBA(const uint8* const planes[4], uint32 count, uint32* pixels)
{
	interleave(planes, planes[3], count, pixels);
}

void psdCoreInterleaveCMYK(const uint8* const planes[4], uint32 count, uint32* pixels)
{
	uint32 done = 0;
#if PSD_CORE_HAS_SSE2
	if (psdCoreVectorCode())
		done = cmykVector(planes, count, pixels);
#endif
	cmykPlain(planes, done, count, pixels);
}
