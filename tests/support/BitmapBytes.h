#ifndef BITMAP_BYTES_H
#define BITMAP_BYTES_H

#include <BitmapStream.h>

#include <cstring>
#include <vector>

// The 32 bytes of a Be bitmap stream header, as an add-on writes them.
inline std::vector<uint8> bitmapHeaderBytes(uint32 width, uint32 height, color_space colors,
                                            uint32 rowBytes, uint32 magic = B_TRANSLATOR_BITMAP)
{
	TranslatorBitmap header = BPrivate::bitmap_header(width, height, colors, rowBytes);
	header.magic = magic;
	BPrivate::swap_bitmap_header(&header, B_SWAP_HOST_TO_BENDIAN);
	std::vector<uint8> bytes(sizeof(header));
	memcpy(bytes.data(), &header, sizeof(header));
	return bytes;
}

#endif
