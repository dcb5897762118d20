#include "PixelBuffer.h"

#include <cstdlib>

// malloc rather than new: a failed allocation must become a status, never an
// exception crossing the add-on boundary.
PixelBuffer::PixelBuffer(size_t size) : fPixels(static_cast<uint32*>(malloc(size))) {}

PixelBuffer::~PixelBuffer()
{
	free(fPixels);
}
