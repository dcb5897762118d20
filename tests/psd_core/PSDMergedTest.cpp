// The merged image through the path Translate takes: the file described,
// then decoded as one of the kinds, in every compression and depth.

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

// What the image must decode to, from the unpacked planes: sixteen-bit
// samples give their high byte.
std::vector<uint32_t> expectedPixels(PSDMergedKind kind, const PsdLayout& layout,
                                     const std::vector<Bytes>& planes)
{
	const size_t step = layout.depth == 16 ? 2 : 1;
	std::vector<uint32_t> out;
	for (uint32_t y = 0; y < layout.height; y++) {
		for (uint32_t x = 0; x < layout.width; x++) {
			const size_t i = (y * (size_t)layout.width + x) * step;
			auto s = [&](int p) { return planes[p][i]; };
			switch (kind) {
			case PSD_MERGED_RGB:
				out.push_back(pixel(s(2), s(1), s(0), 255));
				break;
			case PSD_MERGED_RGBA:
				out.push_back(pixel(s(2), s(1), s(0), s(3)));
				break;
			case PSD_MERGED_GRAY:
				out.push_back(pixel(s(0), s(0), s(0), 255));
				break;
			case PSD_MERGED_INDEXED: {
				const Bytes& map = layout.colorModeData;
				out.push_back(pixel(map[512 + s(0)], map[256 + s(0)], map[s(0)], 255));
				break;
			}
			case PSD_MERGED_CMYK:
				out.push_back(pixel(s(2) * s(3) >> 8, s(1) * s(3) >> 8, s(0) * s(3) >> 8, 255));
				break;
			case PSD_MERGED_BITMAP: {
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

enum Compression { kRaw, kPackBits, kZip, kZipPredicted };

Bytes encode(const PsdLayout& layout, const std::vector<Bytes>& planes, Compression compression)
{
	switch (compression) {
	case kRaw:
		return psdRaw(layout, planes);
	case kPackBits:
		return psdPackBits(layout, planes);
	default:
		return psdZip(layout, planes, compression == kZipPredicted);
	}
}

struct ModeCase {
	PSDMergedKind kind;
	uint16_t mode, channels, depth;
};

// Stored planes beyond those a kind decodes (RGB of 5 channels, gray of 2)
// must not disturb anything.
const ModeCase kModes[] = {
    {PSD_MERGED_RGB, 3, 3, 8},    {PSD_MERGED_RGB, 3, 5, 16},    {PSD_MERGED_RGBA, 3, 4, 8},
    {PSD_MERGED_RGBA, 3, 4, 16},  {PSD_MERGED_GRAY, 1, 1, 8},    {PSD_MERGED_GRAY, 1, 2, 16},
    {PSD_MERGED_GRAY, 8, 1, 8},   {PSD_MERGED_INDEXED, 2, 1, 8}, {PSD_MERGED_CMYK, 4, 5, 8},
    {PSD_MERGED_CMYK, 4, 4, 16},  {PSD_MERGED_GRAY, 9, 3, 8},    {PSD_MERGED_GRAY, 9, 3, 16},
    {PSD_MERGED_BITMAP, 0, 1, 1},
};

// Every kind, depth and compression, on images big enough that planes cross
// read blocks, decoded into a buffer with a guard page behind it.
TEST(PSDMerged, EveryKindDepthAndCompressionDecodes)
{
	for (const ModeCase& c : kModes) {
		for (Compression compression : {kRaw, kPackBits, kZip, kZipPredicted}) {
			SCOPED_TRACE("mode " + std::to_string(c.mode) + " depth " + std::to_string(c.depth) +
			             " compression " + std::to_string(compression));
			PsdLayout layout =
			    psdLayout(c.mode, c.depth, c.channels, c.kind == PSD_MERGED_BITMAP ? 301 : 93, 71);
			layout.imageResources = Bytes(37, 0xAB);
			if (c.kind == PSD_MERGED_INDEXED) {
				layout.colorModeData = Bytes(768);
				for (size_t i = 0; i < 768; i++)
					layout.colorModeData[i] = (uint8_t)(i * 13 + i / 256);
			}
			std::vector<Bytes> planes = makePlanes(layout, c.channels, c.mode * 31 + c.depth);
			const Bytes file = encode(layout, planes, compression);
			const std::vector<uint32_t> expected = expectedPixels(c.kind, layout, planes);
			// Also through a stream that hands out a few bytes per read.
			for (size_t chunk : {SIZE_MAX, (size_t)3}) {
				ChunkedIO in(file, chunk);
				GuardedPixels pixels(layout.width * layout.height);
				ASSERT_EQ(B_OK, decodeMerged(&in, c.kind, pixels.Data()));
				EXPECT_EQ(expected, pixels.Copy());
			}
		}
	}
}

TEST(PSDMerged, HandWorkedPixels)
{
	const uint32_t B = pixel(0, 0, 0, 255), W = pixel(255, 255, 255, 255);
	PsdLayout rgba;
	rgba.width = 2;
	rgba.channels = 4;
	PsdLayout cmyk = psdLayout(4, 8, 4, 3, 1);
	PsdLayout bitmap = psdLayout(0, 1, 1, 10, 2);
	const struct {
		const char* what;
		Bytes file;
		PSDMergedKind kind;
		std::vector<uint32_t> pixels;
	} cases[] = {
	    {"RGB of 4 channels, opaque",
	     psdRaw(rgba, {{10, 20}, {30, 40}, {50, 60}, {0, 128}}),
	     PSD_MERGED_RGB,
	     {pixel(50, 30, 10, 255), pixel(60, 40, 20, 255)}},
	    {"RGBA: alpha from plane 3",
	     psdRaw(rgba, {{10, 20}, {30, 40}, {50, 60}, {0, 128}}),
	     PSD_MERGED_RGBA,
	     {pixel(50, 30, 10, 0), pixel(60, 40, 20, 128)}},
	    {"CMYK: x black >> 8",
	     psdRaw(cmyk, {{255, 0, 128}, {255, 255, 64}, {255, 255, 32}, {255, 255, 200}}),
	     PSD_MERGED_CMYK,
	     {pixel(254, 254, 254, 255), pixel(254, 254, 0, 255), pixel(25, 50, 100, 255)}},
	    // Row 0 from a literal; row 1 from a repeat of 3, one byte longer than
	    // the row: rows start on a byte and the surplus is dropped.
	    {"bitmap",
	     psdPackedData(bitmap, {}, {0x01, 0x80, 0x40, 0xFE, 0xFF}),
	     PSD_MERGED_BITMAP,
	     {B, W, W, W, W, W, W, W, W, B, B, B, B, B, B, B, B, B, B, B}},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		GuardedPixels pixels(c.pixels.size());
		ASSERT_EQ(B_OK, decodeMerged(c.file, c.kind, pixels.Data()));
		EXPECT_EQ(c.pixels, pixels.Copy());
	}
}

// An indexed image without a 768-byte palette, or a compression the core
// does not know: B_ERROR, and the pixels keep what they held.
TEST(PSDMerged, RefusalsWriteNothing)
{
	std::vector<std::pair<Bytes, PSDMergedKind>> refused;
	PsdLayout indexed = psdLayout(2, 8, 1, 1, 1);
	for (size_t size : {0, 767, 1024}) {
		indexed.colorModeData = Bytes(size, 1);
		refused.push_back({psdRaw(indexed, {{0}}), PSD_MERGED_INDEXED});
	}
	PsdLayout rgb;
	Bytes unknown = psdRaw(rgb, {{1}, {2}, {3}});
	unknown[psdFrontMatter(rgb).size() + 1] = 4;
	refused.push_back({unknown, PSD_MERGED_RGB});
	for (const auto& file : refused) {
		uint32_t word = 0x12345678;
		EXPECT_EQ(B_ERROR, decodeMerged(file.first, file.second, &word));
		EXPECT_EQ(0x12345678u, word);
	}
}

} // namespace
