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
// other's bytes.
struct PSDFileBuffer {
	uint8 fileBuffer[PSD_FILE_BUFFER_SIZE + PSD_FILE_BUFFER_SLACK];
	uint32 fileBufferOffset; // next byte to hand out
	uint32 fileBufferLength; // bytes at the front of fileBuffer that the stream delivered
	BPositionIO* fileBufferFile;
	bool fileBufferEnded; // a short read ended the data; later refills read nothing
	off_t fileBufferNext; // where the next block starts in the stream
};

// Reads the next block; false when the data has ended and nothing was delivered.
bool psdCoreFileBufferRefill(PSDFileBuffer& buffer);

// Makes offset < length true, refilling if needed; false once the data has ended.
// Decoders keep offset and length in locals so that pixel stores cannot alias them.
inline bool psdCoreFileBufferEnsure(PSDFileBuffer& buffer, uint32& offset, uint32& length)
{
	if (offset < length)
		return true;
	bool delivered = psdCoreFileBufferRefill(buffer);
	offset = buffer.fileBufferOffset;
	length = buffer.fileBufferLength;
	return delivered;
}

// Reads until size bytes have come or the stream gives no more; the count read.
size_t psdCoreReadFully(BPositionIO* in, void* destination, size_t size);
size_t psdCoreReadFullyAt(BPositionIO* in, off_t position, void* destination, size_t size);

// Binds a buffer to the stream's bytes from `position` on (none from a
// negative one) and reads the first block.
void psdCoreFileBufferInitAt(PSDFileBuffer& buffer, BPositionIO* in, off_t position);
// The stream position of the buffer's next byte.
inline off_t psdCoreFileBufferPosition(const PSDFileBuffer& buffer)
{
	return buffer.fileBufferNext - buffer.fileBufferLength + buffer.fileBufferOffset;
}

#endif
