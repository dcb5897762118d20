#include "PSDSamples.h"

#include "PSDBytes.h"
#include "PSDFloatSamples.h"
#include "PSDVectorCode.h"

#include <cstring>

#if PSD_CORE_HAS_SSE2
#include <emmintrin.h>
#endif

namespace {

float floatOf(uint32 bits)
{
	float x;
	memcpy(&x, &bits, sizeof(x));
	return x;
}

// Each takes samples [from, count): the vector form leaves its tail here.
void narrowPlain(uint8* samples, uint32 from, uint32 count)
{
	for (uint32 i = from; i < count; i++)
		samples[i] = samples[2 * i];
}

#if PSD_CORE_HAS_SSE2

uint32 narrowVector(uint8* samples, uint32 count)
{
	const __m128i lowBytes = _mm_set1_epi16(0x00FF);
	uint32 i = 0;
	// Sample i comes from byte 2i, so writing 16 at i never overwrites
	// bytes that a later step still reads.
	for (; i + 16 <= count; i += 16) {
		__m128i first = _mm_and_si128(_mm_loadu_si128((const __m128i*)(samples + 2 * i)), lowBytes);
		__m128i second =
		    _mm_and_si128(_mm_loadu_si128((const __m128i*)(samples + 2 * i + 16)), lowBytes);
		_mm_storeu_si128((__m128i*)(samples + i), _mm_packus_epi16(first, second));
	}
	return i;
}

#endif

void narrowWide(uint8* samples, uint32 count)
{
	uint32 done = 0;
#if PSD_CORE_HAS_SSE2
	if (psdCoreVectorCode())
		done = narrowVector(samples, count);
#endif
	narrowPlain(samples, done, count);
}

} // namespace

void psdCoreNarrowSamples(uint8* samples, uint32 count, uint32 sampleBytes, bool alpha)
{
	if (sampleBytes == 2)
		narrowWide(samples, count);
	else if (sampleBytes == 4)
		psdCoreNarrowFloatSamples(samples, count, alpha);
}

PSD_CORE_WIDE_LOOPS void psdCoreWidenSamples(const uint8* samples, uint32 count, uint32 sampleBytes,
                                             float* out)
{
	switch (sampleBytes) {
	case 2:
		for (uint32 i = 0; i < count; i++)
			out[i] = psdBig16(samples + 2 * (size_t)i) * (1.0f / 65535);
		break;
	case 4:
		for (uint32 i = 0; i < count; i++) {
			const float value = floatOf(psdBig32(samples + 4 * (size_t)i));
			out[i] = value == value ? value : 0;
		}
		break;
	default:
		for (uint32 i = 0; i < count; i++)
			out[i] = samples[i] * (1.0f / 255);
	}
}

void psdCoreHostOrderSamples(uint8* samples, uint32 count)
{
	for (uint32 i = 0; i < count; i++) {
		const uint16 value = (uint16)(samples[2 * i] << 8 | samples[2 * i + 1]);
		memcpy(samples + 2 * i, &value, sizeof(value));
	}
}
