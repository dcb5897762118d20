#include "PSDFloatSamples.h"

#include <cmath>
#include <cstring>

namespace {

double srgb(double x)
{
	return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
}

int colourByteExactly(float x)
{
	return (int)std::floor(255 * srgb((double)x) + 0.5);
}

uint32 bitsOf(float x)
{
	uint32 bits;
	memcpy(&bits, &x, sizeof(bits));
	return bits;
}

float floatOf(uint32 bits)
{
	float x;
	memcpy(&x, &bits, sizeof(x));
	return x;
}

const uint32 kOneBits = 0x3F800000; // 1.0f; positive floats order as their bits

// The curve costs a pow per sample. Instead: for each byte b the least float
// that reaches it, and for each value of a float's top 16 bits the byte of
// the least float with them; a sample starts from the latter and steps up
// past the thresholds it reaches, which is at most a step or two.
struct ColourTable {
	float threshold[257]; // threshold[b]: least float giving byte b; [256] past all
	uint8 start[(kOneBits >> 16) + 1];

	ColourTable()
	{
		threshold[0] = 0;
		for (int b = 1; b <= 255; b++) {
			uint32 low = 0, high = kOneBits; // colourByteExactly(low) < b <= at high
			while (high - low > 1) {
				uint32 middle = low + (high - low) / 2;
				if (colourByteExactly(floatOf(middle)) >= b)
					high = middle;
				else
					low = middle;
			}
			threshold[b] = floatOf(high);
		}
		threshold[256] = INFINITY;
		for (uint32 top = 0; top <= kOneBits >> 16; top++)
			start[top] = (uint8)colourByteExactly(floatOf(top << 16));
	}
};

const ColourTable& colourTable()
{
	static const ColourTable table;
	return table;
}

} // namespace

uint8 psdCoreFloatColourByte(float x)
{
	if (!(x > 0)) // NaN too
		return 0;
	if (x >= 1)
		return 255;
	const ColourTable& table = colourTable();
	uint32 b = table.start[bitsOf(x) >> 16];
	while (x >= table.threshold[b + 1])
		b++;
	return (uint8)b;
}

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
	for (uint32 i = 0; i < count; i++) {
		const uint8* p = samples + 4 * (size_t)i;
		float x = floatOf((uint32)p[0] << 24 | (uint32)p[1] << 16 | (uint32)p[2] << 8 | p[3]);
		samples[i] = alpha ? psdCoreFloatAlphaByte(x) : psdCoreFloatColourByte(x);
	}
}
