#include "PixelBuffer.h"

#include <cstdlib>

// calloc rather than new: a failed allocation must become a status, never an
// exception crossing the add-on boundary. Zeroed, because a stream that reads
// differently the second time (a pipe, a file rewritten meanwhile) can pass
// the header check and still make the loader skip the planes: the pixels it
// leaves unwritten must not carry old heap memory into the output.
PixelBuffer::PixelBuffer(size_t size) : fPixels(static_cast<uint32*>(calloc(1, size))) {}

PixelBuffer::~PixelBuffer()
{
	free(fPixels);
}
