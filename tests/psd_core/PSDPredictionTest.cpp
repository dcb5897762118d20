// ZIP prediction undone row by row, on rows worked out by hand: byte deltas
// that wrap, 16-bit deltas that carry into the high byte and wrap at 65536,
// 32-bit rows stored as four byte planes, and one-pixel rows. Floats become
// bytes exactly as the formula says.

#include <core/PSDFloatSamples.h>
#include <core/PSDInflate.h>

#include <colour/PSDColourFormulas.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

TEST(PSDPrediction, RowsUndoneAtEverySampleWidth)
{
	const struct {
		const char* what;
		uint32_t sampleBytes;
		uint32_t width;
		Bytes stored;
		Bytes samples;
	} cases[] = {
	    {"8-bit, wrapping", 1, 4, {10, 250, 10, 1}, {10, 4, 14, 15}},
	    {"16-bit, carrying into the high byte",
	     2,
	     2,
	     {0x00, 0xFF, 0x00, 0x01},
	     {0x00, 0xFF, 0x01, 0x00}},
	    {"16-bit, wrapping at 65536",
	     2,
	     3,
	     {0xFF, 0xF0, 0x00, 0x20, 0xFF, 0xFF},
	     {0xFF, 0xF0, 0x00, 0x10, 0x00, 0x0F}},
	    // 1.0f and pi: byte planes 3F 40 | 80 49 | 00 0F | 00 DB, then deltas.
	    {"32-bit, byte planes",
	     4,
	     2,
	     {0x3F, 0x01, 0x40, 0xC9, 0xB7, 0x0F, 0xF1, 0xDB},
	     {0x3F, 0x80, 0x00, 0x00, 0x40, 0x49, 0x0F, 0xDB}},
	    {"8-bit, one pixel", 1, 1, {7}, {7}},
	    {"16-bit, one pixel", 2, 1, {0xAB, 0xCD}, {0xAB, 0xCD}},
	    {"32-bit, one pixel", 4, 1, {0x3F, 0x41, 0x40, 0xC0}, {0x3F, 0x80, 0xC0, 0x80}},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		Bytes row = c.stored; // exactly a row, so a sanitizer sees any overrun
		Bytes scratch(row.size());
		psdCoreUnpredictRow(row.data(), c.width, c.sampleBytes, scratch.data());
		EXPECT_EQ(c.samples, row);
	}
}

uint8_t formulaByte(float x, bool alpha)
{
	if (std::isnan(x))
		return 0;
	double v = x < 0 ? 0.0 : x > 1 ? 1.0 : (double)x;
	if (!alpha)
		v = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
	return (uint8_t)std::floor(255 * v + 0.5);
}

float floatOf(uint32_t bits)
{
	float x;
	memcpy(&x, &bits, sizeof(x));
	return x;
}

// Floats from 0 to 1 at a stride through their bit patterns and, wherever
// the byte steps between two of them, every float in between: the
// thresholds are where a table can be off by one.
TEST(PSDFloatSamples, BytesAreTheFormulas)
{
	const uint32_t stride = 4099;
	for (uint32_t bits = stride; bits <= 0x3F800000 + stride; bits += stride) {
		const float x = floatOf(bits);
		ASSERT_EQ(formulaByte(x, true), psdCoreFloatAlphaByte(x)) << bits;
		if (psdColourLinearByte(x) == psdColourLinearByte(floatOf(bits - stride)))
			continue;
		for (uint32_t b = bits - stride; b <= bits; b++)
			ASSERT_EQ(formulaByte(floatOf(b), false), psdColourLinearByte(floatOf(b))) << b;
	}
}

} // namespace
