// Stored samples of every width made into bytes (the merged image) and into
// floats (layers), worked out by hand.

#include <core/PSDSamples.h>

#include "PsdWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace psdtest;

namespace {

TEST(PSDSamples, NarrowedToAByteEach)
{
	const struct {
		uint32_t sampleBytes;
		bool alpha;
		Bytes stored;
		Bytes bytes;
	} cases[] = {
	    {1, false, {7, 200}, {7, 200}},
	    {2, false, {0x12, 0x34, 0xAB, 0xCD}, {0x12, 0xAB}},
	    {4, false, floatSamples({1.0f, 0.0f, NAN, 2.0f, -1.0f}), {255, 0, 0, 255, 0}},
	    {4, true, floatSamples({0.5f, 0.25f, INFINITY}), {128, 64, 255}},
	};
	for (const auto& c : cases) {
		Bytes samples = c.stored;
		psdCoreNarrowSamples(samples.data(), (uint32_t)c.bytes.size(), c.sampleBytes, c.alpha);
		EXPECT_EQ(c.bytes, Bytes(samples.begin(), samples.begin() + c.bytes.size()))
		    << c.sampleBytes << " bytes" << (c.alpha ? ", alpha" : "");
	}
}

TEST(PSDSamples, WidenedToAFloatEach)
{
	const struct {
		uint32_t sampleBytes;
		Bytes stored;
		std::vector<float> floats;
	} cases[] = {
	    {1, {0, 51, 255}, {0.0f, 0.2f, 1.0f}},
	    {2, {0xFF, 0xFF, 0x80, 0x00, 0, 0}, {1.0f, 32768 / 65535.0f, 0.0f}},
	    // Floats keep linear light beyond [0, 1]; NaN reads as 0.
	    {4, floatSamples({1.5f, NAN, -0.25f}), {1.5f, 0.0f, -0.25f}},
	};
	for (const auto& c : cases) {
		std::vector<float> out(c.floats.size() + 1, -9.0f);
		psdCoreWidenSamples(c.stored.data(), (uint32_t)c.floats.size(), c.sampleBytes, out.data());
		for (size_t i = 0; i < c.floats.size(); i++)
			EXPECT_FLOAT_EQ(c.floats[i], out[i]) << c.sampleBytes << " bytes, sample " << i;
		EXPECT_EQ(-9.0f, out.back());
	}
}

} // namespace
