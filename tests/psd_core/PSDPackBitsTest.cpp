// PackBits packets, worked out by hand: through the merged image, where
// packets run across rows and planes and 16-bit samples are packed as
// bytes, and in the memory form that layer rows and patterns use.

#include <core/PSDFileBuffer.h>
#include <core/PSDPackBits.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

// The red byte of each pixel: plane 0 of an RGB image, or the gray.
Bytes redBytes(const std::vector<uint32_t>& pixels)
{
	Bytes red;
	for (uint32_t word : pixels)
		red.push_back(byteOf(word, 2));
	return red;
}

TEST(PSDPackBits, PacketsThroughTheMergedImage)
{
	const struct {
		const char* what;
		uint32_t width, height;
		uint16_t depth;
		Bytes packets;
		Bytes red;
	} cases[] = {
	    {"a literal, a repeat, no-ops",
	     7,
	     1,
	     8,
	     {0x80, 0x02, 0x0A, 0x0B, 0x0C, 0x80, 0xFE, 0x07, 0x00, 0x41},
	     {0x0A, 0x0B, 0x0C, 7, 7, 7, 0x41}},
	    {"a repeat of 128 across rows", 64, 2, 8, {0x81, 0x05}, Bytes(128, 5)},
	    // The stream is 12 | 56 56 | 21 21 21 21 | AA 99 BB: packets start
	    // and end between the two bytes of a sample.
	    {"16-bit samples split by packets",
	     5,
	     1,
	     16,
	     {0x00, 0x12, 0xFF, 0x56, 0xFD, 0x21, 0x02, 0xAA, 0x99, 0xBB},
	     {0x12, 0x56, 0x21, 0x21, 0x99}},
	    {"data that ends early reads as zeros", 4, 1, 8, {0x03, 0x01, 0x02}, {1, 2, 0, 0}},
	    {"a repeat without its byte", 3, 1, 8, {0x00, 0x09, 0xFE}, {9, 0, 0}},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		const PsdLayout layout = psdLayout(1, c.depth, 1, c.width, c.height);
		GuardedPixels pixels(c.width * c.height);
		ASSERT_EQ(B_OK, decodeMerged(psdPackedData(layout, {}, c.packets), PSD_MERGED_GRAY,
		                             pixels.Data()));
		EXPECT_EQ(c.red, redBytes(pixels.Copy()));
	}
}

// A packet that reaches past its plane is read and dropped: the next plane
// starts right behind it, whether or not the row byte counts say so.
TEST(PSDPackBits, PacketsPastThePlaneAreDropped)
{
	const PsdLayout rgb8 = psdLayout(3, 8, 3, 5, 1);
	const Bytes packets8 = {0x02, 0x0A, 0x0B, 0x0C, 0xFE, 0x07, 0xFC, 0x42, 0x03, 1, 2, 3, 4};
	// A 2-byte literal (one sample), then a literal of 87 bytes past the
	// plane's second sample.
	const PsdLayout rgb16 = psdLayout(3, 16, 3, 2, 1);
	Bytes packets16 = {0x01, 0x12, 0x34, 0x56, 0x78, 0x9A};
	packets16.resize(4 + 87, 0xEE);
	packets16.insert(packets16.end(), {0xFD, 0x63, 0x02, 0x70, 0x00, 0x71});
	const struct {
		PsdLayout layout;
		Bytes packets;
		std::vector<uint32_t> counts;
		std::vector<uint32_t> pixels;
	} cases[] = {
	    {rgb8,
	     packets8,
	     {6, 2, 5},
	     {pixel(1, 0x42, 0x0A, 255), pixel(2, 0x42, 0x0B, 255), pixel(3, 0x42, 0x0C, 255),
	      pixel(4, 0x42, 7, 255), pixel(0, 0x42, 7, 255)}},
	    {rgb16,
	     packets16,
	     {91, 2, 4},
	     {pixel(0x70, 0x63, 0x12, 255), pixel(0x71, 0x63, 0x78, 255)}},
	};
	for (const auto& c : cases) {
		for (bool countsRight : {true, false}) {
			SCOPED_TRACE(countsRight ? "right counts" : "no counts");
			const Bytes file = psdPackedData(
			    c.layout, countsRight ? c.counts : std::vector<uint32_t>(), c.packets);
			GuardedPixels pixels(c.pixels.size());
			ASSERT_EQ(B_OK, decodeMerged(file, PSD_MERGED_RGB, pixels.Data()));
			EXPECT_EQ(c.pixels, pixels.Copy());
		}
	}
}

// A literal of 128 that starts 4 bytes before a read block ends, and a
// repeat whose header is the last byte of the next block.
TEST(PSDPackBits, PacketsAcrossReadBlocks)
{
	Bytes packets, red;
	auto pad = [&](size_t until) {
		if ((until - packets.size()) % 2)
			packets.push_back(0x80);
		while (packets.size() < until) {
			packets.insert(packets.end(), {0x00, (uint8_t)red.size()});
			red.push_back((uint8_t)red.size());
		}
	};
	pad(PSD_FILE_BUFFER_SIZE - 5);
	packets.push_back(0x7F);
	for (int i = 0; i < 128; i++) {
		packets.push_back((uint8_t)(3 * i));
		red.push_back((uint8_t)(3 * i));
	}
	pad(2 * PSD_FILE_BUFFER_SIZE - 1);
	packets.insert(packets.end(), {0xFD, 0x44});
	red.insert(red.end(), 4, 0x44);

	const PsdLayout layout = psdLayout(1, 8, 1, (uint32_t)red.size(), 1);
	GuardedPixels pixels(red.size());
	ASSERT_EQ(B_OK,
	          decodeMerged(psdPackedData(layout, {}, packets), PSD_MERGED_GRAY, pixels.Data()));
	EXPECT_EQ(red, redBytes(pixels.Copy()));
}

// The memory form: a window of the decoded bytes, zeros where the packets
// give out, and not a byte written past the window.
TEST(PSDPackBits, WindowsOfPacketsInMemory)
{
	const Bytes packets = {0x02, 0x0A, 0x0B, 0x0C, 0x80, 0xFE, 0x07};
	const struct {
		const char* what;
		Bytes packets;
		uint64 first;
		Bytes window;
	} cases[] = {
	    {"the whole row", packets, 0, {0x0A, 0x0B, 0x0C, 7, 7, 7}},
	    {"from inside a literal into a repeat", packets, 1, {0x0B, 0x0C, 7}},
	    {"from inside a repeat past the end", packets, 4, {7, 7, 0, 0}},
	    {"a literal the packets cut short", {0x04, 0x01, 0x02}, 0, {1, 2, 0, 0}},
	    {"a repeat without its byte", {0x01, 0x05, 0x06, 0xFE}, 0, {5, 6, 0, 0}},
	    {"no packets at all", {}, 3, {0, 0}},
	};
	for (const auto& c : cases) {
		SCOPED_TRACE(c.what);
		Bytes out(c.window.size() + 1, 0xEE);
		psdCoreUnpackBits(c.packets.data(), c.packets.size(), c.first, c.window.size(), out.data());
		EXPECT_EQ(c.window, Bytes(out.begin(), out.end() - 1));
		EXPECT_EQ(0xEE, out.back());
	}
}

} // namespace
