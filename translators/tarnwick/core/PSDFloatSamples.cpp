#include "PSDFloatSamples.h"

#include <colour/PSDColourFormulas.h>

#include <cmath>
#include <cstring>

namespace {

float floatOf(uint32 bits)
{
	float x;
	memcpy(&x, &bits, sizeof(x));
	return x;
}

float floatAt(const uint8* samples, uint32 i)
{
	const uint8* p = samples + 4 * (size_t)i;
	return floatOf((uint32)p[0] << 24 | (uint32)p[1] << 16 | (uint32)p[2] << 8 | p[3]);
}

} // namespace

uint8 psdCoreFloatAlphaByte(float a)
{
	if (!(a > 0))
		return 0;
	if (a >= 1)
		return 255;
	return (uint8)std::floor(255 * (double)a + 0.5);
}

void psdCoreNarrowFloatSamples(uint8* samples, uint32 count, bool alpha)
{
	const PSDLinearByteTable& colour = psdColourLinearByteTable();
	for (uint32 i = 0; i < count; i++) {
		const float x = floatAt(samples, i);
		samples[i] = alpha ? psdCoreFloatAlphaByte(x) : colour.Byte(x);
	}
}

void psdCoreWidenFloatSamples(uint8* samples, uint32 count, bool alpha)
{
	for (uint32 i = 0; i < count; i++) {
		const float x = floatAt(samples, i);
		uint16 value;
		if (alpha)
			value = (uint16)(psdCoreFloatAlphaByte(x) * 257);
		else
			value = !(x > 0) ? 0 : x >= 1 ? 65535 : (uint16)(x * 65535 + 0.5f);
		memcpy(samples + 2 * (size_t)i, &value, sizeof(value));
	}
}
