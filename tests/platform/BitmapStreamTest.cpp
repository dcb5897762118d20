// The Be bitmap stream module: the header as add-ons write it, and the one
// reader that hosts hand to an add-on's Translate.

#include "BitmapBytes.h"
#include "TestStreams.h"

#include <BitmapStream.h>
#include <Errors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using BPrivate::BitmapStreamReader;

namespace {

typedef std::vector<uint8> Bytes;

// Keeps what a reader hands on: the header once, the rows where they belong.
class RecordingReader : public BitmapStreamReader {
public:
	explicit RecordingReader(bool refuseRows = false) : fRefuseRows(refuseRows) {}

	int headers = 0;
	Bytes rows;

protected:
	void HeaderArrived(const BPrivate::BitmapImage&) override
	{
		headers++;
		rows.assign(DataSize(), 0);
	}
	void RowsArrived(uint64 offset, const uint8* bytes, size_t size) override
	{
		if (fRefuseRows)
			Fail(kHost, "no room");
		else
			std::copy(bytes, bytes + size, rows.begin() + offset);
	}

private:
	bool fRefuseRows;
};

// A 3 x 2 B_RGBA32 stream with 4 bytes of padding per row, every row byte
// distinct so that a shifted piece shows.
Bytes rgbaStream()
{
	Bytes stream = bitmapHeaderBytes(3, 2, B_RGBA32, 16);
	for (int i = 0; i < 32; i++)
		stream.push_back((uint8)(i * 7 + 1));
	return stream;
}

Bytes rowsOf(const Bytes& stream)
{
	return Bytes(stream.begin() + 32, stream.end());
}

void writeInPieces(BPositionIO& io, const Bytes& stream, size_t piece)
{
	for (size_t at = 0; at < stream.size(); at += piece) {
		size_t size = std::min(piece, stream.size() - at);
		ASSERT_EQ(io.Write(stream.data() + at, size), (ssize_t)size) << "at " << at;
	}
}

} // namespace

TEST(BitmapStream, HeaderIsWrittenBigEndianBeforeTheRowsAndReadsBack)
{
	TranslatorBitmap header = BPrivate::bitmap_header(256, 192, B_CMAP8, 256);
	Bytes rows(header.dataSize, 9);
	LimitedOutput out;
	ASSERT_EQ(BPrivate::write_bitmap_stream(&out, header, rows.data()), B_OK);
	EXPECT_EQ(out.Writes(), 2);

	const uint8 expected[32] = {0x62, 0x69, 0x74, 0x73, 0, 0,    0,    0, 0,    0, 0,
	                            0,    0x43, 0x7F, 0,    0, 0x43, 0x3F, 0, 0,    0, 0,
	                            0x01, 0,    0,    0,    0, 0x04, 0,    0, 0xC0, 0};
	Bytes written = out.Bytes();
	ASSERT_EQ(written.size(), 32u + 49152u);
	EXPECT_EQ(Bytes(written.begin(), written.begin() + 32), Bytes(expected, expected + 32));

	BPrivate::BitmapImage image;
	uint32 dataSize = 0;
	std::string reason;
	ASSERT_TRUE(BPrivate::read_bitmap_header(written.data(), &image, &dataSize, &reason));
	EXPECT_EQ(image.colors, B_CMAP8);
	EXPECT_EQ(image.width, 256u);
	EXPECT_EQ(image.height, 192u);
	EXPECT_EQ(image.rowBytes, 256u);
	EXPECT_EQ(dataSize, 49152u);

	LimitedOutput full(40);
	EXPECT_EQ(BPrivate::write_bitmap_stream(&full, header, rows.data()), B_ERROR);
}

TEST(BitmapStream, SwapDataRefusesPartialElementsAndUnknownTypes)
{
	uint8 bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
	uint8 before[16];
	memcpy(before, bytes, 16);
	EXPECT_EQ(swap_data(B_RECT_TYPE, bytes, 15, B_SWAP_ALWAYS), B_BAD_VALUE);
	EXPECT_EQ(swap_data(B_STRING_TYPE, bytes, 16, B_SWAP_ALWAYS), B_BAD_VALUE);
	EXPECT_EQ(memcmp(bytes, before, 16), 0);

	EXPECT_EQ(swap_data(B_UINT16_TYPE, bytes, 4, B_SWAP_ALWAYS), B_OK);
	const uint8 swapped[4] = {2, 1, 4, 3};
	EXPECT_EQ(memcmp(bytes, swapped, 4), 0);
}

TEST(BitmapStreamReader, HandsOnTheRowsHoweverTheWritesAreCut)
{
	Bytes stream = rgbaStream();
	Bytes longer = stream;
	longer.insert(longer.end(), 5, 0xEE);
	for (size_t piece : {1, 2, 3, 5, 31, 32, 33, 64, 100}) {
		RecordingReader reader;
		writeInPieces(reader, longer, piece);
		EXPECT_EQ(reader.headers, 1);
		EXPECT_EQ(reader.rows, rowsOf(stream)) << "pieces of " << piece;
		EXPECT_TRUE(reader.Complete());
		EXPECT_EQ(reader.Finish(), BitmapStreamReader::kNone);
	}
}

TEST(BitmapStreamReader, TakesRowsWrittenOutOfOrder)
{
	Bytes stream = rgbaStream();
	RecordingReader reader;
	ASSERT_EQ(reader.Write(stream.data(), 32), 32);
	ASSERT_EQ(reader.Seek(48, SEEK_SET), 48);
	ASSERT_EQ(reader.Write(stream.data() + 48, 16), 16);
	ASSERT_EQ(reader.WriteAt(32, stream.data() + 32, 16), 16);
	EXPECT_EQ(reader.Position(), 64);
	EXPECT_EQ(reader.Seek(-4, SEEK_END), 60);
	EXPECT_LT(reader.Seek(-1, SEEK_SET), 0);
	uint8 back[4];
	EXPECT_LT(reader.ReadAt(0, back, 4), 0);
	EXPECT_EQ(reader.rows, rowsOf(stream));
	EXPECT_TRUE(reader.Complete());
}

TEST(BitmapStreamReader, RefusesHeadersHostsCannotUseButTakesTheRest)
{
	struct Case {
		const char* what;
		Bytes stream;
	};
	Bytes wrongData = bitmapHeaderBytes(3, 2, B_RGBA32, 16);
	wrongData[31] ^= 1; // data size one off
	Case cases[] = {
	    {"magic", bitmapHeaderBytes(3, 2, B_RGBA32, 16, 0x12345678)},
	    {"colour space", bitmapHeaderBytes(3, 2, B_RGB24, 12)},
	    {"row bytes", bitmapHeaderBytes(3, 2, B_RGBA32, 11)},
	    {"data size", wrongData},
	    {"bounds", bitmapHeaderBytes(0, 2, B_RGBA32, 16)},
	};
	for (const Case& c : cases) {
		RecordingReader reader;
		Bytes stream = c.stream;
		stream.insert(stream.end(), 32, 7);
		writeInPieces(reader, stream, 7);
		EXPECT_EQ(reader.Failed(), BitmapStreamReader::kBitmap) << c.what;
		EXPECT_FALSE(reader.Reason().empty()) << c.what;
		EXPECT_EQ(reader.headers, 0) << c.what;
		EXPECT_FALSE(reader.Complete()) << c.what;
	}
}

TEST(BitmapStreamReader, FinishSaysWhatIsMissing)
{
	Bytes stream = rgbaStream();
	RecordingReader shortHeader;
	writeInPieces(shortHeader, Bytes(stream.begin(), stream.begin() + 20), 20);
	EXPECT_EQ(shortHeader.Finish(), BitmapStreamReader::kBitmap);
	EXPECT_EQ(shortHeader.Reason(), "its output is shorter than a bitmap header");

	RecordingReader cut;
	writeInPieces(cut, Bytes(stream.begin(), stream.end() - 1), 8);
	EXPECT_EQ(cut.Failed(), BitmapStreamReader::kNone);
	EXPECT_EQ(cut.Finish(), BitmapStreamReader::kBitmap);
	EXPECT_EQ(cut.Reason(), "its bitmap's row bytes, data size and length do not agree");
}

TEST(BitmapStreamReader, AFailureOfTheHostFailsEveryLaterWrite)
{
	Bytes stream = rgbaStream();
	RecordingReader reader(true);
	ASSERT_EQ(reader.Write(stream.data(), 32), 32);
	EXPECT_LT(reader.Write(stream.data() + 32, 8), 0);
	EXPECT_LT(reader.Write(stream.data() + 40, 8), 0);
	EXPECT_EQ(reader.Finish(), BitmapStreamReader::kHost);
	EXPECT_EQ(reader.Reason(), "no room");
}
