#include <core/PSDChannels.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

const uint32 kCanary = 0xC0DEFACE;

// Decodes one plane into byte 2 (red) of `width` pixels followed by a canary
// word; returns the red bytes and checks that nothing else changed.
typedef void (*BytePlaneReader)(uint32, uint32, uint8*);
Bytes readRed(BytePlaneReader reader, uint32 width)
{
	std::vector<uint32> pixels(width + 1, kCanary);
	reader(width, 1, (uint8*)pixels.data() + 2);
	Bytes red;
	for (uint32 i = 0; i < width; i++) {
		red.push_back(byteOf(pixels[i], 2));
		EXPECT_EQ(kCanary & 0xFF00FFFF, pixels[i] & 0xFF00FFFF) << "pixel " << i;
	}
	EXPECT_EQ(kCanary, pixels[width]) << "written past the plane";
	return red;
}

TEST(PSDChannels, RawPlanesKeepTheHighByteAndTouchOnlyTheirByte)
{
	{
		BoundBytes bound({0x10, 0x20, 0x30});
		EXPECT_EQ(Bytes({0x10, 0x20, 0x30}), readRed(psdCoreReadChannel8Bits, 3));
	}
	{
		BoundBytes bound({0x12, 0x34, 0xAB, 0xCD, 0x77});
		EXPECT_EQ(Bytes({0x12, 0xAB}), readRed(psdCoreReadChannel16Bits, 2));
		EXPECT_EQ(0x77, psdCoreFileBufferReadUint8());
	}
	uint32 table[256];
	for (int i = 0; i < 256; i++)
		table[i] = 0x01000000u * i + 0x5A;
	uint32 out[3] = {kCanary, kCanary, kCanary};
	BoundBytes bound({0x00, 0xFF, 0x07, 0x01});
	psdCoreReadChannelMapped(2, 1, out, table, true);
	EXPECT_EQ(table[0], out[0]);
	EXPECT_EQ(table[7], out[1]);
	EXPECT_EQ(kCanary, out[2]);
}

TEST(PSDChannels, PackBitsPacketsAndNoOps)
{
	{
		BoundBytes bound({0x02, 0x0A, 0x0B, 0x0C, 0xFE, 0x07, 0x99});
		EXPECT_EQ(Bytes({0x0A, 0x0B, 0x0C, 7, 7, 7}),
		          readRed(psdCoreReadChannel8BitsCompressed, 6));
		EXPECT_EQ(0x99, psdCoreFileBufferReadUint8());
	}
	{
		BoundBytes bound({0x80, 0x00, 0x41, 0x80, 0x81, 0x05});
		EXPECT_EQ(Bytes({0x41}), readRed(psdCoreReadChannel8BitsCompressed, 1));
		EXPECT_EQ(Bytes(128, 5), readRed(psdCoreReadChannel8BitsCompressed, 128));
	}
}

TEST(PSDChannels, PacketsPastThePlaneAreConsumedAndDropped)
{
	// The repeat of three reaches one sample past a plane of five.
	BoundBytes bound({0x02, 0x0A, 0x0B, 0x0C, 0xFE, 0x07, 0x00, 0x42});
	EXPECT_EQ(Bytes({0x0A, 0x0B, 0x0C, 7, 7}), readRed(psdCoreReadChannel8BitsCompressed, 5));
	EXPECT_EQ(Bytes({0x42}), readRed(psdCoreReadChannel8BitsCompressed, 1));
}

TEST(PSDChannels, SixteenBitPackBitsIsByteWise)
{
	{
		// A 2-byte literal (one sample), then a literal of 87 bytes that runs
		// past the plane; the next plane starts after its last byte.
		Bytes data = {0x01, 0x12, 0x34, 0x56, 0x78, 0x9A};
		data.resize(4 + 87, 0xEE);
		data.push_back(0x00);
		data.push_back(0x63);
		BoundBytes bound(data);
		EXPECT_EQ(Bytes({0x12, 0x78}), readRed(psdCoreReadChannel16BitsCompressed, 2));
		EXPECT_EQ(Bytes({0x63}), readRed(psdCoreReadChannel8BitsCompressed, 1));
	}
	{
		// Packets that start and end between the two bytes of a sample: the
		// stream is 12 | 56 56 | 21 21 21 21 | AA 99 BB.
		BoundBytes bound({0x00, 0x12, 0xFF, 0x56, 0xFD, 0x21, 0x02, 0xAA, 0x99, 0xBB});
		EXPECT_EQ(Bytes({0x12, 0x56, 0x21, 0x21, 0x99}),
		          readRed(psdCoreReadChannel16BitsCompressed, 5));
	}
	uint32 ramp[256];
	for (int v = 0; v < 256; v++)
		ramp[v] = pixel(v, v, v, 255);
	uint32 out[3] = {kCanary, kCanary, kCanary};
	// 10 11 20 | 30 (30 dropped): the high bytes are 10 and 20.
	BoundBytes bound({0x02, 0x10, 0x11, 0x20, 0xFF, 0x30});
	psdCoreReadChannelMappedCompressed(2, 1, out, ramp, true);
	EXPECT_EQ(ramp[0x10], out[0]);
	EXPECT_EQ(ramp[0x20], out[1]);
	EXPECT_EQ(kCanary, out[2]);
}

TEST(PSDChannels, PacketsAcrossTheBlockBoundary)
{
	// A literal of 128 starting 4 bytes before the block end, then a repeat
	// whose header is the last byte of the next block.
	const uint32 lead = PSD_FILE_BUFFER_SIZE - 5;
	Bytes data(lead, 0x11);
	data.push_back(0x7F);
	for (int i = 0; i < 128; i++)
		data.push_back((uint8)i);
	data.resize(2 * PSD_FILE_BUFFER_SIZE - 1, 0x22);
	data.push_back(0xFD);
	data.push_back(0x44);
	BoundBytes bound(data);
	Bytes skipped(lead);
	psdCoreFileBufferRead(lead, skipped.data());

	Bytes literal(128);
	for (int i = 0; i < 128; i++)
		literal[i] = (uint8)i;
	EXPECT_EQ(literal, readRed(psdCoreReadChannel8BitsCompressed, 128));
	const uint32 filler = PSD_FILE_BUFFER_SIZE - 1 - 128 + 5 - 1;
	psdCoreFileBufferRead(filler, skipped.data());
	EXPECT_EQ(Bytes(4, 0x44), readRed(psdCoreReadChannel8BitsCompressed, 4));
}

TEST(PSDChannels, FillAlphaSetsOnlyAlphaOfThePlane)
{
	uint32 words[3] = {pixel(0x33, 0x22, 0x11, 0x00), pixel(1, 2, 3, 4), kCanary};
	psdCoreFillAlpha(2, 1, words);
	EXPECT_EQ(pixel(0x33, 0x22, 0x11, 0xFF), words[0]);
	EXPECT_EQ(pixel(1, 2, 3, 0xFF), words[1]);
	EXPECT_EQ(kCanary, words[2]);
}

} // namespace
