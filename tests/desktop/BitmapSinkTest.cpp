// The stream that turns an add-on's Be bitmap into a pixbuf: pixel order,
// colour maps, writes cut anywhere, and the size limit. The header checks
// are the platform's reader's (tests/platform).

#include "BitmapSink.h"
#include "BitmapBytes.h"

#include <Screen.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

typedef std::vector<uint8> Bytes;

// A 3 x 2 B_RGBA32 bitmap with 4 bytes of padding per row, every byte
// distinct so that a swapped channel or a shifted row shows.
Bytes rgba_stream()
{
	Bytes stream = bitmapHeaderBytes(3, 2, B_RGBA32, 16);
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
			int at = y * 16 + x * 4; // blue, green, red, alpha
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
	Bytes stream = bitmapHeaderBytes(2, 2, B_CMAP8, 4);
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
	EXPECT_EQ(cut.Refusal(), BitmapSink::kNone);
	EXPECT_EQ(cut.TakePixbuf(), nullptr);

	BitmapSink headerOnly(screen_map());
	ASSERT_TRUE(write_in_pieces(headerOnly, Bytes(stream.begin(), stream.begin() + 20), 20));
	EXPECT_FALSE(headerOnly.HeaderRead());
	EXPECT_EQ(headerOnly.TakePixbuf(), nullptr);

	stream.insert(stream.end(), 5, 0xEE);
	BitmapSink longer(screen_map());
	ASSERT_TRUE(write_in_pieces(longer, stream, 9));
	GdkPixbuf* pixbuf = longer.TakePixbuf();
	ASSERT_NE(pixbuf, nullptr);
	EXPECT_EQ(pixbuf_rows(pixbuf), rgba_expected());
	g_object_unref(pixbuf);
}

TEST(BitmapSinkTest, AsksTheSizeFirstThenRefusesOverTheLimitAndStopsTheAddOn)
{
	// 16384 x 16385 is one row over 2^28 pixels: refused at its own size,
	// but a smaller size may be asked for it, which the host then reads
	// reduced. Every refusal fails the write, so the add-on stops there.
	Bytes big = bitmapHeaderBytes(16384, 16385, B_CMAP8, 16384);
	uint32 askedWidth = 0, askedHeight = 0;
	BitmapSink full(screen_map(), [&](uint32* width, uint32* height) {
		askedWidth = *width;
		askedHeight = *height;
	});
	EXPECT_LT(full.Write(big.data(), big.size()), 0);
	EXPECT_EQ(full.Refusal(), BitmapSink::kTooLarge);
	EXPECT_EQ(askedWidth, 16384u);
	EXPECT_EQ(askedHeight, 16385u);

	BitmapSink smaller(screen_map(), [](uint32* width, uint32* height) {
		*width = 256;
		*height = 255;
	});
	EXPECT_LT(smaller.Write(big.data(), big.size()), 0);
	EXPECT_EQ(smaller.Refusal(), BitmapSink::kSmaller);
	EXPECT_EQ(smaller.AskedWidth(), 256u);
	EXPECT_EQ(smaller.AskedHeight(), 255u);

	BitmapSink declined(screen_map(), [](uint32* width, uint32*) { *width = 0; });
	EXPECT_LT(declined.Write(big.data(), big.size()), 0);
	EXPECT_EQ(declined.Refusal(), BitmapSink::kDeclined);
}

TEST(BitmapSinkTest, RowsWrittenOutOfOrderLandInPlaceAndSkippedOnesAreClear)
{
	Bytes stream = rgba_stream();
	BitmapSink sink(screen_map());
	ASSERT_EQ(sink.Write(stream.data(), 32), 32);
	ASSERT_EQ(sink.WriteAt(48, stream.data() + 48, 16), 16);
	GdkPixbuf* pixbuf = sink.TakePixbuf();
	ASSERT_NE(pixbuf, nullptr);
	Bytes expected = rgba_expected();
	std::fill(expected.begin(), expected.begin() + 12, 0);
	EXPECT_EQ(pixbuf_rows(pixbuf), expected);
	g_object_unref(pixbuf);
}

} // namespace
