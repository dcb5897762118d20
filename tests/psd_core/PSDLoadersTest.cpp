#include <core/PSDCore.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace psdtest;

namespace {

// Planes with runs and noise, so that packing yields both kinds of packet.
std::vector<Bytes> makePlanes(const PsdLayout& layout, int count, uint32_t seed)
{
	std::mt19937 random(seed);
	std::vector<Bytes> planes;
	for (int p = 0; p < count; p++) {
		Bytes plane(layout.RowBytes() * layout.height);
		for (size_t i = 0; i < plane.size();) {
			uint8_t value = (uint8_t)random();
			size_t run = random() % 3 == 0 ? 1 + random() % 300 : 1;
			for (; run > 0 && i < plane.size(); run--)
				plane[i++] = value;
		}
		planes.push_back(plane);
	}
	return planes;
}

enum Loader { RGB, RGBA, GRAY, INDEXED, CMYK, LAB, BITMAP };

// What the image must decode to, from the unpacked planes.
std::vector<uint32_t> expectedPixels(Loader loader, const PsdLayout& layout,
                                     const std::vector<Bytes>& planes)
{
	const size_t step = layout.depth == 16 ? 2 : 1;
	std::vector<uint32_t> out;
	for (uint32_t y = 0; y < layout.height; y++) {
		for (uint32_t x = 0; x < layout.width; x++) {
			const size_t i = (y * (size_t)layout.width + x) * step;
			auto s = [&](int p) { return planes[p][i]; };
			switch (loader) {
			case RGB:
				out.push_back(pixel(s(2), s(1), s(0), 255));
				break;
			case RGBA:
				out.push_back(pixel(s(2), s(1), s(0), s(3)));
				break;
			case GRAY:
			case LAB:
				out.push_back(pixel(s(0), s(0), s(0), 255));
				break;
			case INDEXED: {
				const Bytes& map = layout.colorModeData;
				out.push_back(pixel(map[512 + s(0)], map[256 + s(0)], map[s(0)], 255));
				break;
			}
			case CMYK:
				out.push_back(pixel(s(2) * s(3) >> 8, s(1) * s(3) >> 8, s(0) * s(3) >> 8, 255));
				break;
			case BITMAP: {
				uint8_t byte = planes[0][y * layout.RowBytes() + x / 8];
				out.push_back((byte >> (7 - x % 8)) & 1 ? pixel(0, 0, 0, 255)
				                                        : pixel(255, 255, 255, 255));
				break;
			}
			}
		}
	}
	return out;
}

status_t load(Loader loader, BPositionIO* in, const PsdLayout& l, uint32_t* pixels)
{
	const bool is16 = l.depth == 16;
	switch (loader) {
	case RGB:
		return psdCoreLoadImageRGBA(in, l.width, l.height, l.channels, pixels, false, is16);
	case RGBA:
		return psdCoreLoadImageRGBA(in, l.width, l.height, l.channels, pixels, true, is16);
	case GRAY:
		return psdCoreLoadImageGrayscale(in, l.width, l.height, l.channels, pixels, is16);
	case INDEXED:
		return psdCoreLoadImageIndexed(in, l.width, l.height, l.channels, pixels);
	case CMYK:
		return psdCoreLoadImageCMYK(in, l.width, l.height, l.channels, pixels, is16);
	case LAB:
		return pscCoreLoadImageLab(in, l.width, l.height, l.channels, pixels, is16);
	case BITMAP:
		return psdCoreLoadImageBitmap(in, l.width, l.height, pixels);
	}
	return B_ERROR;
}

struct ModeCase {
	Loader loader;
	uint16_t mode, channels, depth;
	int planes;
};

const ModeCase kModes[] = {
    {RGB, 3, 3, 8, 3},    {RGB, 3, 5, 16, 3},  {RGBA, 3, 4, 8, 4}, {RGBA, 3, 4, 16, 4},
    {GRAY, 1, 1, 8, 1},   {GRAY, 1, 2, 16, 1}, {GRAY, 8, 1, 8, 1}, {INDEXED, 2, 1, 8, 1},
    {CMYK, 4, 5, 8, 4},   {CMYK, 4, 4, 16, 4}, {LAB, 9, 3, 8, 1},  {LAB, 9, 3, 16, 1},
    {BITMAP, 0, 1, 1, 1},
};

// Every loader, depth and compression, on images big enough that planes
// cross block boundaries, decoded into a buffer with a guard page behind it.
TEST(PSDLoaders, EveryModeDepthAndCompressionDecodes)
{
	for (const ModeCase& c : kModes) {
		for (bool packed : {false, true}) {
			SCOPED_TRACE("mode " + std::to_string(c.mode) + " depth " + std::to_string(c.depth) +
			             (packed ? " PackBits" : " raw"));
			PsdLayout layout =
			    psdLayout(c.mode, c.depth, c.channels, c.loader == BITMAP ? 301 : 93, 71);
			layout.imageResources = Bytes(37, 0xAB);
			if (c.loader == INDEXED) {
				layout.colorModeData = Bytes(768);
				for (size_t i = 0; i < 768; i++)
					layout.colorModeData[i] = (uint8_t)(i * 13 + i / 256);
			}
			// Stored planes beyond those decoded must not disturb anything.
			std::vector<Bytes> planes = makePlanes(layout, c.channels, c.mode * 31 + c.depth);
			const Bytes file = packed ? psdPackBits(layout, planes) : psdRaw(layout, planes);
			const std::vector<uint32_t> expected = expectedPixels(c.loader, layout, planes);
			// Also through a stream that hands out a few bytes per read.
			for (size_t chunk : {SIZE_MAX, (size_t)3}) {
				CountingIO in(file, chunk);
				GuardedPixels pixels(layout.width * layout.height);
				ASSERT_EQ(B_OK, load(c.loader, &in, layout, pixels.Data()));
				EXPECT_EQ(expected, pixels.Copy());
			}
		}
	}
}

TEST(PSDLoaders, RGBAlphaComesFromPlaneThreeOnlyWhenAsked)
{
	PsdLayout layout;
	layout.width = 2;
	layout.channels = 4;
	const Bytes file = psdRaw(layout, {{10, 20}, {30, 40}, {50, 60}, {0, 128}});
	std::vector<uint32_t> pixels(2);
	BMemoryIO in(file.data(), file.size());
	ASSERT_EQ(B_OK, psdCoreLoadImageRGBA(&in, 2, 1, 4, pixels.data(), false, false));
	EXPECT_EQ(std::vector<uint32_t>({pixel(50, 30, 10, 255), pixel(60, 40, 20, 255)}), pixels);
	ASSERT_EQ(B_OK, psdCoreLoadImageRGBA(&in, 2, 1, 4, pixels.data(), true, false));
	EXPECT_EQ(std::vector<uint32_t>({pixel(50, 30, 10, 0), pixel(60, 40, 20, 128)}), pixels);
}

TEST(PSDLoaders, CMYKConversionDividesBy256)
{
	PsdLayout layout;
	layout.mode = 4;
	layout.channels = 4;
	layout.width = 3;
	const Bytes file =
	    psdRaw(layout, {{255, 0, 128}, {255, 255, 64}, {255, 255, 32}, {255, 255, 200}});
	std::vector<uint32_t> pixels(3);
	BMemoryIO in(file.data(), file.size());
	ASSERT_EQ(B_OK, psdCoreLoadImageCMYK(&in, 3, 1, 4, pixels.data(), false));
	EXPECT_EQ(std::vector<uint32_t>(
	              {pixel(254, 254, 254, 255), pixel(254, 254, 0, 255), pixel(25, 50, 100, 255)}),
	          pixels);
}

TEST(PSDLoaders, BitmapRowsStartOnAByteAndSurplusIsDropped)
{
	const uint32_t B = pixel(0, 0, 0, 255), W = pixel(255, 255, 255, 255);
	PsdLayout layout = psdLayout(0, 1, 1, 10, 2);
	// Row 0 comes from a literal, row 1 from a repeat of 3 that is one byte
	// longer than the row: the surplus byte is dropped.
	const Bytes file = psdPackedData(layout, {}, {0x01, 0x80, 0x40, 0xFE, 0xFF});
	GuardedPixels pixels(20);
	BMemoryIO in(file.data(), file.size());
	ASSERT_EQ(B_OK, psdCoreLoadImageBitmap(&in, 10, 2, pixels.Data()));
	std::vector<uint32_t> expected = {B, W, W, W, W, W, W, W, W, B};
	expected.resize(20, B);
	EXPECT_EQ(expected, pixels.Copy());
}

TEST(PSDLoaders, IndexedRefusesAPaletteOfOtherSizeAndZeroesUnreadBytes)
{
	PsdLayout layout;
	layout.mode = 2;
	layout.channels = 1;
	for (size_t size : {0, 767, 1024}) {
		layout.colorModeData = Bytes(size, 1);
		const Bytes file = psdRaw(layout, {{0}});
		uint32_t word = 0x12345678;
		BMemoryIO in(file.data(), file.size());
		EXPECT_EQ(B_ERROR, psdCoreLoadImageIndexed(&in, 1, 1, 1, &word));
		EXPECT_EQ(0x12345678u, word);
	}
	// Cut inside the palette: its last bytes read as 0, but the sections
	// behind it are gone too.
	layout.colorModeData = Bytes(768, 1);
	const Bytes file = psdRaw(layout, {{0}});
	const Bytes cut(file.begin(), file.begin() + 26 + 4 + 700);
	uint32_t word = 0x12345678;
	BMemoryIO in(cut.data(), cut.size());
	EXPECT_EQ(B_ERROR, psdCoreLoadImageIndexed(&in, 1, 1, 1, &word));
	EXPECT_EQ(0x12345678u, word);
}

TEST(PSDLoaders, UnknownCompressionWritesOnlyWhatTheLoaderClosesWith)
{
	PsdLayout layout;
	layout.channels = 4;
	Bytes file = psdRaw(layout, {{1}, {2}, {3}, {4}});
	file[file.size() - 5] = 4; // the low byte of the compression word
	const uint32_t garbage = pixel(9, 8, 7, 6);
	for (Loader loader : {RGB, RGBA, GRAY, LAB, BITMAP, CMYK}) {
		uint32_t word = garbage;
		BMemoryIO in(file.data(), file.size());
		ASSERT_EQ(B_OK, load(loader, &in, layout, &word));
		const uint32_t expected = loader == RGB    ? pixel(9, 8, 7, 255)
		                          : loader == CMYK ? pixel(9 * 6 >> 8, 8 * 6 >> 8, 7 * 6 >> 8, 255)
		                                           : garbage;
		EXPECT_EQ(expected, word) << "loader " << loader;
	}
}

TEST(PSDLoaders, ShortSectionOrCompressionFailsBeforeAnyWrite)
{
	PsdLayout layout;
	const Bytes file = psdRaw(layout, {{1}, {2}, {3}});
	const size_t front = psdFrontMatter(layout).size();
	for (size_t size : {(size_t)26, (size_t)29, front - 1, front + 1}) {
		Bytes cut(file.begin(), file.begin() + size);
		for (Loader loader : {RGB, GRAY, CMYK, LAB, BITMAP, INDEXED}) {
			uint32_t word = 0x12345678;
			BMemoryIO in(cut.data(), cut.size());
			EXPECT_EQ(B_ERROR, load(loader, &in, layout, &word)) << size << " " << loader;
			EXPECT_EQ(0x12345678u, word);
		}
	}
}

} // namespace
