// The stream that turns an add-on's Be bitmap into a pixbuf: pixel order,
// colour maps, writes cut anywhere, and every header it must refuse.

#include "BitmapSink.h"

#include <ByteOrder.h>
#include <Errors.h>
#include <Screen.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

typedef std::vector<uint8> Bytes;

Bytes header(uint32 width, uint32 height, color_space colors, uint32 rowBytes,
	uint32 magic = B_TRANSLATOR_BITMAP)
{
	TranslatorBitmap h;
	h.magic = magic;
	h.bounds.Set(0, 0, width - 1.0f, height - 1.0f);
	h.rowBytes = rowBytes;
	h.colors = colors;
	h.dataSize = rowBytes * height;
	swap_data(B_UINT32_TYPE, &h.magic, 4, B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_RECT_TYPE, &h.bounds, 16, B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_UINT32_TYPE, &h.rowBytes, 4, B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_UINT32_TYPE, &h.colors, 4, B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_UINT32_TYPE, &h.dataSize, 4, B_SWAP_HOST_TO_BENDIAN);
	Bytes bytes(sizeof(h));
	memcpy(bytes.data(), &h, sizeof(h));
	return bytes;
}

// A 3 x 2 B_RGBA32 bitmap with 4 bytes of padding per row, every byte
// distinct so that a swapped channel or a shifted row shows.
Bytes rgba_stream()
{
	Bytes stream = header(3, 2, B_RGBA32, 16);
	for (int i = 0; i < 32; i++)
		stream.push_back((uint8)(i * 7 + 1));
	return stream;
}

// What rgba_stream() must become: R, G, B, A per pixel, padding dropped.
Bytes rgba_expected()
{
	Bytes rows;
	for (int y = 0; y < 2; y++)
		for (int x = 0; x < 3; x++) {
			int at = y * 16 + x * 4;  // blue, green, red, alpha
			for (int channel : {2, 1, 0, 3})
				rows.push_back((uint8)((at + channel) * 7 + 1));
		}
	return rows;
}

Bytes pixbuf_rows(GdkPixbuf* pixbuf)
{
	Bytes rows;
	const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
	int stride = gdk_pixbuf_get_rowstride(pixbuf);
	int width = gdk_pixbuf_get_width(pixbuf);
	for (int y = 0; y < gdk_pixbuf_get_height(pixbuf); y++)
		rows.insert(rows.end(), pixels + y * stride, pixels + y * stride + width * 4);
	return rows;
}

// Writes the stream in pieces of the given size; true when every Write took
// all of its piece.
bool write_in_pieces(BitmapSink& sink, const Bytes& stream, size_t piece)
{
	for (size_t at = 0; at < stream.size(); at += piece) {
		size_t size = std::min(piece, stream.size() - at);
		if (sink.Write(stream.data() + at, size) != (ssize_t)size)
			return false;
	}
	return true;
}

const color_map& screen_map()
{
	return *BScreen().ColorMap();
}

TEST(BitmapSinkTest, TurnsRGBA32IntoRGBAHoweverTheWritesAreCut)
{
	for (size_t piece : {1, 2, 3, 5, 7, 31, 33, 64}) {
		BitmapSink sink(screen_map());
		ASSERT_TRUE(write_in_pieces(sink, rgba_stream(), piece)) << "pieces of " << piece;
		ASSERT_TRUE(sink.Complete());
		GdkPixbuf* pixbuf = sink.TakePixbuf();
		ASSERT_NE(pixbuf, nullptr);
		EXPECT_EQ(gdk_pixbuf_get_width(pixbuf), 3);
		EXPECT_EQ(gdk_pixbuf_get_height(pixbuf), 2);
		EXPECT_TRUE(gdk_pixbuf_get_has_alpha(pixbuf));
		EXPECT_EQ(pixbuf_rows(pixbuf), rgba_expected()) << "pieces of " << piece;
		g_object_unref(pixbuf);
	}
}

TEST(BitmapSinkTest, LooksUpCMAP8InTheColourMapAlphaIncluded)
{
	color_map map = {};
	map.color_list[0] = make_color(10, 20, 30);
	map.color_list[7] = make_color(200, 100, 50);
	map.color_list[255] = make_color(1, 2, 3, 0);
	Bytes stream = header(2, 2, B_CMAP8, 4);
	for (uint8 index : {7, 0, 99, 99, 255, 7, 99, 99})
		stream.push_back(index);

	BitmapSink sink(map);
	ASSERT_TRUE(write_in_pieces(sink, stream, 3));
	GdkPixbuf* pixbuf = sink.TakePixbuf();
	ASSERT_NE(pixbuf, nullptr);
	Bytes expected = {200, 100, 50, 255, 10, 20, 30, 255, 1, 2, 3, 0, 200, 100, 50, 255};
	EXPECT_EQ(pixbuf_rows(pixbuf), expected);
	g_object_unref(pixbuf);
}

TEST(BitmapSinkTest, MissingRowsLeaveNoImageAndExtraBytesAreIgnored)
{
	Bytes stream = rgba_stream();
	BitmapSink cut(screen_map());
	ASSERT_TRUE(write_in_pieces(cut, Bytes(stream.begin(), stream.end() - 1), 8));
	EXPECT_FALSE(cut.Complete());
	EXPECT_EQ(cut.Failed(), BitmapSink::kNone);
	EXPECT_EQ(cut.TakePixbuf(), nullptr);

	BitmapSink headerOnly(screen_map());
	ASSERT_TRUE(write_in_pieces(headerOnly, Bytes(stream.begin(), stream.begin() + 20), 20));
	EXPECT_FALSE(headerOnly.HeaderSeen());
	EXPECT_EQ(headerOnly.TakePixbuf(), nullptr);

	stream.insert(stream.end(), 5, 0xEE);
	BitmapSink longer(screen_map());
	ASSERT_TRUE(write_in_pieces(longer, stream, 9));
	GdkPixbuf* pixbuf = longer.TakePixbuf();
	ASSERT_NE(pixbuf, nullptr);
	EXPECT_EQ(pixbuf_rows(pixbuf), rgba_expected());
	g_object_unref(pixbuf);
}

TEST(BitmapSinkTest, RefusesHeadersItCannotUseAndEverythingAfterThem)
{
	struct Case {
		const char* what;
		Bytes stream;
	};
	Bytes wrongData = header(3, 2, B_RGBA32, 16);
	wrongData[31] ^= 1;  // data size one off
	Case cases[] = {
		{"magic", header(3, 2, B_RGBA32, 16, 0x12345678)},
		{"colour space", header(3, 2, B_RGB24, 12)},
		{"row bytes", header(3, 2, B_RGBA32, 11)},
		{"data size", wrongData},
		{"bounds", header(0, 2, B_RGBA32, 16)},
	};
	for (const Case& c : cases) {
		BitmapSink sink(screen_map());
		EXPECT_EQ(sink.Write(c.stream.data(), c.stream.size()), B_ERROR) << c.what;
		EXPECT_EQ(sink.Failed(), BitmapSink::kBadHeader) << c.what;
		EXPECT_FALSE(sink.Reason().empty()) << c.what;
		uint8 pixel[4] = {};
		EXPECT_LT(sink.Write(pixel, 4), 0) << c.what;
		EXPECT_EQ(sink.TakePixbuf(), nullptr) << c.what;
	}
}

TEST(BitmapSinkTest, RefusesMoreThanTheLimitBeforeAskingOrAllocating)
{
	// 16385 x 16384 is one row over 2^28 pixels; 16384 x 16384 is exactly
	// the limit and reaches the size check, which declines it here so that
	// the test allocates nothing.
	bool asked = false;
	BitmapSink over(screen_map(), [&](uint32, uint32) { return asked = true; });
	Bytes big = header(16384, 16385, B_CMAP8, 16384);
	EXPECT_EQ(over.Write(big.data(), big.size()), B_ERROR);
	EXPECT_EQ(over.Failed(), BitmapSink::kTooLarge);
	EXPECT_EQ(over.Width(), 16384u);
	EXPECT_EQ(over.Height(), 16385u);
	EXPECT_FALSE(asked);

	uint32 askedWidth = 0, askedHeight = 0;
	BitmapSink limit(screen_map(), [&](uint32 width, uint32 height) {
		askedWidth = width;
		askedHeight = height;
		return false;
	});
	Bytes edge = header(16384, 16384, B_CMAP8, 16384);
	EXPECT_EQ(limit.Write(edge.data(), edge.size()), B_ERROR);
	EXPECT_EQ(limit.Failed(), BitmapSink::kDeclined);
	EXPECT_EQ(askedWidth, 16384u);
	EXPECT_EQ(askedHeight, 16384u);
}

TEST(BitmapSinkTest, OnlyGrowsAtItsEnd)
{
	Bytes stream = rgba_stream();
	BitmapSink sink(screen_map());
	ASSERT_EQ(sink.Write(stream.data(), 40), 40);
	EXPECT_EQ(sink.Position(), 40);
	EXPECT_EQ(sink.Seek(40, SEEK_SET), 40);
	EXPECT_EQ(sink.Seek(0, SEEK_CUR), 40);
	EXPECT_LT(sink.Seek(0, SEEK_SET), 0);
	EXPECT_LT(sink.WriteAt(8, stream.data(), 4), 0);
	uint8 back[4];
	EXPECT_LT(sink.ReadAt(0, back, 4), 0);
	// Refused moves change nothing: the rest still completes the image.
	ASSERT_EQ(sink.Write(stream.data() + 40, stream.size() - 40), (ssize_t)stream.size() - 40);
	GdkPixbuf* pixbuf = sink.TakePixbuf();
	ASSERT_NE(pixbuf, nullptr);
	EXPECT_EQ(pixbuf_rows(pixbuf), rgba_expected());
	g_object_unref(pixbuf);
}

}  // namespace
