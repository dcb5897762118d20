#include <BitmapStream.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace BPrivate {

namespace {

// A bounds edge pair as a pixel count: both whole numbers, at least one pixel.
bool extent(float low, float high, uint32* count)
{
	if (!std::isfinite(low) || !std::isfinite(high) || low != std::floor(low) ||
	    high != std::floor(high) || high < low || high - low >= (float)0x7FFFFFFF)
		return false;
	*count = (uint32)(high - low) + 1;
	return true;
}

} // namespace

void swap_bitmap_header(TranslatorBitmap* header, swap_action action)
{
	swap_data(B_UINT32_TYPE, &header->magic, sizeof(uint32), action);
	swap_data(B_RECT_TYPE, &header->bounds, sizeof(BRect), action);
	swap_data(B_UINT32_TYPE, &header->rowBytes, sizeof(uint32), action);
	swap_data(B_UINT32_TYPE, &header->colors, sizeof(uint32), action);
	swap_data(B_UINT32_TYPE, &header->dataSize, sizeof(uint32), action);
}

TranslatorBitmap bitmap_header(uint32 width, uint32 height, color_space colors, uint32 rowBytes)
{
	TranslatorBitmap header;
	header.magic = B_TRANSLATOR_BITMAP;
	header.bounds.Set(0.0f, 0.0f, (float)(width - 1), (float)(height - 1));
	header.rowBytes = rowBytes;
	header.colors = colors;
	header.dataSize = rowBytes * height;
	return header;
}

status_t write_bitmap_header(BPositionIO* destination, TranslatorBitmap header)
{
	swap_bitmap_header(&header, B_SWAP_HOST_TO_BENDIAN);
	if (destination->Write(&header, sizeof(header)) != (ssize_t)sizeof(header))
		return B_ERROR;
	return B_OK;
}

status_t write_bitmap_stream(BPositionIO* destination, const TranslatorBitmap& header,
                             const void* rows)
{
	if (write_bitmap_header(destination, header) != B_OK)
		return B_ERROR;
	if (destination->Write(rows, header.dataSize) != (ssize_t)header.dataSize)
		return B_ERROR;
	return B_OK;
}

uint32 bytes_per_pixel(color_space colors)
{
	switch (colors) {
	case B_RGBA32:
		return 4;
	case B_CMAP8:
		return 1;
	default:
		return 0;
	}
}

bool read_bitmap_header(const void* stream, BitmapImage* image, uint32* dataSize,
                        std::string* reason)
{
	TranslatorBitmap header;
	memcpy(&header, stream, sizeof(header));
	swap_bitmap_header(&header, B_SWAP_BENDIAN_TO_HOST);

	if (header.magic != B_TRANSLATOR_BITMAP) {
		*reason = "its output is not a Be bitmap stream";
		return false;
	}
	uint32 width, height;
	if (!extent(header.bounds.left, header.bounds.right, &width) ||
	    !extent(header.bounds.top, header.bounds.bottom, &height)) {
		*reason = "its bitmap has invalid bounds";
		return false;
	}
	uint32 bpp = bytes_per_pixel(header.colors);
	if (bpp == 0) {
		char text[80];
		snprintf(text, sizeof(text), "its bitmap has colour space 0x%04x, which cannot be written",
		         (unsigned)header.colors);
		*reason = text;
		return false;
	}
	if ((uint64)header.rowBytes < (uint64)width * bpp ||
	    header.dataSize != (uint64)header.rowBytes * height) {
		*reason = "its bitmap's row bytes and data size do not agree";
		return false;
	}

	image->colors = header.colors;
	image->width = width;
	image->height = height;
	image->rowBytes = header.rowBytes;
	image->bits = nullptr;
	*dataSize = header.dataSize;
	return true;
}

} // namespace BPrivate
