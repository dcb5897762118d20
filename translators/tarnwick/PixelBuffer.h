#ifndef PIXEL_BUFFER_H
#define PIXEL_BUFFER_H

#include <SupportDefs.h>

// The pixel words of one translation, zeroed. This is the one place that
// decides how they are allocated; they are released when the buffer goes out
// of scope, on every path out of Translate.
class PixelBuffer {
public:
	explicit PixelBuffer(size_t size);
	~PixelBuffer();

	// Null when the allocation failed.
	uint32* Pixels() const { return fPixels; }

private:
	PixelBuffer(const PixelBuffer&) = delete;
	PixelBuffer& operator=(const PixelBuffer&) = delete;

	uint32* fPixels;
	size_t fMappedSize;  // 0 when fPixels came from calloc
};

#endif
