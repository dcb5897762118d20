#ifndef TRANSLATE_BITMAP_IMAGE_H
#define TRANSLATE_BITMAP_IMAGE_H

#include <GraphicsDefs.h>

#include <string>

// The pixels of a Be bitmap stream held in memory, pointing into it.
struct BitmapImage {
	color_space colors;
	uint32 width;
	uint32 height;
	uint32 rowBytes;
	const uint8* bits;
};

// Reads the 32-byte header at stream alone and checks that its fields agree; bits is
// left null and dataSize gets the byte count of the rows that follow. For
// hosts that receive the rows later, as a stream.
bool read_bitmap_header(const void* stream, BitmapImage* image, uint32* dataSize,
	std::string* reason);

// Reads the 32-byte header of the stream and checks that it describes
// pixel rows that are all present; false with the reason in words if not.
bool read_bitmap_image(const void* stream, size_t length, BitmapImage* image,
	std::string* reason);

// Bytes per pixel of a colour space the writers handle; 0 for others.
uint32 bytes_per_pixel(color_space colors);

#endif
