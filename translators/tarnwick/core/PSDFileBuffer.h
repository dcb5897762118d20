#ifndef PSD_FILE_BUFFER_H
#define PSD_FILE_BUFFER_H

#include <DataIO.h>
#include <SupportDefs.h>

const uint32 PSD_FILE_BUFFER_SIZE = 16384;
// Bytes behind the block that may be read but never count as data, so that
// a literal packet can be copied in one fixed-size piece wherever it starts.
const uint32 PSD_FILE_BUFFER_SLACK = 128;

// A block buffer that image data is read through. It reads with ReadAt from
// a position of its own, so several can walk one stream side by side; each
// decode owns its buffers, so decodes on different threads never see each
// other's bytes. It is a source of packets for the PackBits decoder
// (PSDPackBits.h): bytes [offset, length) of Data() are at hand.
struct PSDFileBuffer {
	typedef uint32 Offset;

	uint8 bytes[PSD_FILE_BUFFER_SIZE + PSD_FILE_BUFFER_SLACK];
	uint32 offset; // next byte to hand out
	uint32 length; // bytes at the front of `bytes` that the stream delivered
	BPositionIO* file;
	bool ended; // a short read ended the data; later refills read nothing
	off_t next; // where the next block starts in the stream

	// Binds the buffer to the stream's bytes from `position` on (none from a
	// negative one) and reads the first block.
	void Init(BPositionIO* in, off_t position);
	// Reads the next block; false when the data has ended and nothing was
	// delivered.
	bool Refill();
	const uint8* Data() const { return bytes; }
	// The stream position of the next byte.
	off_t Position() const { return next - length + offset; }
};

// Reads until size bytes have come or the stream gives no more; the count read.
size_t psdCoreReadFully(BPositionIO* in, void* destination, size_t size);
size_t psdCoreReadFullyAt(BPositionIO* in, off_t position, void* destination, size_t size);

#endif
