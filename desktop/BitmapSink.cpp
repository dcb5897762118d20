#include "BitmapSink.h"

#include <algorithm>
#include <cstdlib>

BitmapSink::BitmapSink(const color_map& colors, SizeRequest sizeRequest)
    : fColors(colors), fSizeRequest(std::move(sizeRequest)), fRefusal(kNone), fAskedWidth(0),
      fAskedHeight(0), fPixbuf(nullptr)
{
}

BitmapSink::~BitmapSink()
{
	if (fPixbuf != nullptr)
		g_object_unref(fPixbuf);
}

BitmapSink::Failure BitmapSink::Refusal() const
{
	if (fRefusal != kNone)
		return fRefusal;
	return Failed() == BitmapStreamReader::kNone ? kNone : kBadHeader;
}

void BitmapSink::_Refuse(Failure refusal, const char* reason)
{
	fRefusal = refusal;
	Fail(kHost, reason);
}

void BitmapSink::HeaderArrived(const BPrivate::BitmapImage& image)
{
	fAskedWidth = image.width;
	fAskedHeight = image.height;
	if (fSizeRequest)
		fSizeRequest(&fAskedWidth, &fAskedHeight);
	if (fAskedWidth == 0 || fAskedHeight == 0) {
		_Refuse(kDeclined, "the size asked for has no pixels");
		return;
	}
	if (fAskedWidth < image.width || fAskedHeight < image.height) {
		_Refuse(kSmaller, "a smaller size was asked for");
		return;
	}
	if ((uint64)image.width * image.height > kMaxPixbufPixels) {
		_Refuse(kTooLarge, "the image is larger than this loader opens");
		return;
	}
	// Zeroed, so that rows an add-on skips are transparent rather than
	// whatever the memory held.
	const size_t stride = (size_t)image.width * 4;
	guchar* pixels = (guchar*)calloc(image.height, stride);
	if (pixels != nullptr) {
		fPixbuf = gdk_pixbuf_new_from_data(
		    pixels, GDK_COLORSPACE_RGB, TRUE, 8, (int)image.width, (int)image.height, (int)stride,
		    [](guchar* data, gpointer) { free(data); }, nullptr);
	}
	if (fPixbuf == nullptr) {
		free(pixels);
		_Refuse(kNoMemory, "not enough memory for the pixbuf");
	}
}

// One piece of the pixel data, starting offset bytes into it, row by row.
void BitmapSink::RowsArrived(uint64 offset, const uint8* bytes, size_t size)
{
	const BPrivate::BitmapImage& image = Image();
	guchar* pixels = gdk_pixbuf_get_pixels(fPixbuf);
	size_t stride = (size_t)gdk_pixbuf_get_rowstride(fPixbuf);
	while (size > 0) {
		uint64 y = offset / image.rowBytes;
		uint32 column = (uint32)(offset % image.rowBytes);
		size_t take = (size_t)std::min<uint64>(size, image.rowBytes - column);
		guchar* row = pixels + y * stride;
		if (image.colors == B_RGBA32)
			_ConvertRGBA32(row, column, bytes, take);
		else
			_ConvertCMAP8(row, column, bytes, take);
		offset += take;
		bytes += take;
		size -= take;
	}
}

// Bytes column .. column + size - 1 of one B_RGBA32 row (blue, green, red,
// alpha in memory); a write may end in the middle of a pixel, so the first
// and last pixels can be partial.
void BitmapSink::_ConvertRGBA32(guchar* row, uint32 column, const uint8* bytes, size_t size)
{
	static const uint8 kTarget[4] = {2, 1, 0, 3};
	uint64 end = std::min<uint64>((uint64)column + size, (uint64)Image().width * 4);
	uint64 c = column;
	for (; c < end && c % 4 != 0; c++)
		row[c - c % 4 + kTarget[c % 4]] = bytes[c - column];
	for (; c + 4 <= end; c += 4) {
		const uint8* in = bytes + (c - column);
		guchar* out = row + c;
		out[0] = in[2];
		out[1] = in[1];
		out[2] = in[0];
		out[3] = in[3];
	}
	for (; c < end; c++)
		row[c - c % 4 + kTarget[c % 4]] = bytes[c - column];
}

void BitmapSink::_ConvertCMAP8(guchar* row, uint32 column, const uint8* bytes, size_t size)
{
	uint64 end = std::min<uint64>((uint64)column + size, Image().width);
	for (uint64 x = column; x < end; x++) {
		const rgb_color& color = fColors.color_list[bytes[x - column]];
		guchar* out = row + x * 4;
		out[0] = color.red;
		out[1] = color.green;
		out[2] = color.blue;
		out[3] = color.alpha;
	}
}

GdkPixbuf* BitmapSink::TakePixbuf()
{
	if (!Complete())
		return nullptr;
	GdkPixbuf* pixbuf = fPixbuf;
	fPixbuf = nullptr;
	return pixbuf;
}
