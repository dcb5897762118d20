#include "BitmapSink.h"

#include <Errors.h>
#include <TranslatorFormats.h>

#include <algorithm>
#include <cstring>

BitmapSink::BitmapSink(const color_map& colors, SizeCheck sizeCheck)
	:
	fColors(colors),
	fSizeCheck(std::move(sizeCheck)),
	fHeaderSeen(false),
	fImage(),
	fDataSize(0),
	fReceived(0),
	fFailure(kNone),
	fPixbuf(nullptr)
{
}

BitmapSink::~BitmapSink()
{
	if (fPixbuf != nullptr)
		g_object_unref(fPixbuf);
}

ssize_t BitmapSink::ReadAt(off_t, void*, size_t)
{
	return B_NOT_SUPPORTED;
}

off_t BitmapSink::Seek(off_t position, uint32 seekMode)
{
	off_t target = seekMode == SEEK_CUR ? (off_t)fReceived + position : position;
	if ((seekMode != SEEK_SET && seekMode != SEEK_CUR) || target != (off_t)fReceived)
		return B_NOT_SUPPORTED;
	return target;
}

off_t BitmapSink::Position() const
{
	return (off_t)fReceived;
}

ssize_t BitmapSink::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (fFailure != kNone)
		return B_ERROR;
	if (position != (off_t)fReceived || (size > 0 && buffer == nullptr))
		return B_NOT_SUPPORTED;
	const uint8* bytes = (const uint8*)buffer;
	size_t left = size;

	if (!fHeaderSeen) {
		size_t take = std::min(left, sizeof(fHeader) - (size_t)fReceived);
		memcpy(fHeader + fReceived, bytes, take);
		fReceived += take;
		bytes += take;
		left -= take;
		if (fReceived < sizeof(fHeader))
			return (ssize_t)size;
		fHeaderSeen = true;
		fFailure = _AcceptHeader();
		if (fFailure != kNone)
			return B_ERROR;
	}

	// Bytes past the declared data are not pixels; they are ignored.
	uint64 offset = fReceived - sizeof(fHeader);
	if (offset < fDataSize)
		_ConvertSpan(offset, bytes, (size_t)std::min<uint64>(left, fDataSize - offset));
	fReceived += left;
	return (ssize_t)size;
}

BitmapSink::Failure BitmapSink::_AcceptHeader()
{
	if (!read_bitmap_header(fHeader, &fImage, &fDataSize, &fReason))
		return kBadHeader;
	if ((uint64)fImage.width * fImage.height > kMaxPixbufPixels)
		return kTooLarge;
	if (fSizeCheck && !fSizeCheck(fImage.width, fImage.height))
		return kDeclined;
	fPixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, (int)fImage.width, (int)fImage.height);
	return fPixbuf == nullptr ? kNoMemory : kNone;
}

// One piece of the pixel data, starting offset bytes into it, row by row.
void BitmapSink::_ConvertSpan(uint64 offset, const uint8* bytes, size_t size)
{
	guchar* pixels = gdk_pixbuf_get_pixels(fPixbuf);
	size_t stride = (size_t)gdk_pixbuf_get_rowstride(fPixbuf);
	while (size > 0) {
		uint64 y = offset / fImage.rowBytes;
		uint32 column = (uint32)(offset % fImage.rowBytes);
		size_t take = (size_t)std::min<uint64>(size, fImage.rowBytes - column);
		guchar* row = pixels + y * stride;
		if (fImage.colors == B_RGBA32)
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
	uint64 end = std::min<uint64>((uint64)column + size, (uint64)fImage.width * 4);
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
	uint64 end = std::min<uint64>((uint64)column + size, fImage.width);
	for (uint64 x = column; x < end; x++) {
		const rgb_color& color = fColors.color_list[bytes[x - column]];
		guchar* out = row + x * 4;
		out[0] = color.red;
		out[1] = color.green;
		out[2] = color.blue;
		out[3] = color.alpha;
	}
}

bool BitmapSink::Complete() const
{
	return fFailure == kNone && fHeaderSeen && fReceived >= sizeof(fHeader) + (uint64)fDataSize;
}

GdkPixbuf* BitmapSink::TakePixbuf()
{
	if (!Complete())
		return nullptr;
	GdkPixbuf* pixbuf = fPixbuf;
	fPixbuf = nullptr;
	return pixbuf;
}
