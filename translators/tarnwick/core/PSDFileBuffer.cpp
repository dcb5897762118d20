#include "PSDFileBuffer.h"

#include "PSDBytes.h"

size_t psdCoreReadFully(BPositionIO* in, void* destination, size_t size)
{
	size_t done = 0;
	while (done < size) {
		ssize_t got = in->Read((uint8*)destination + done, size - done);
		if (got <= 0)
			break;
		done += (size_t)got > size - done ? size - done : (size_t)got;
	}
	return done;
}

size_t psdCoreReadFullyAt(BPositionIO* in, off_t position, void* destination, size_t size)
{
	size_t done = 0;
	while (done < size) {
		ssize_t got = in->ReadAt(position + (off_t)done, (uint8*)destination + done, size - done);
		if (got <= 0)
			break;
		done += (size_t)got > size - done ? size - done : (size_t)got;
	}
	return done;
}

bool psdCoreFileBufferRefill(PSDFileBuffer& buffer)
{
	buffer.fileBufferOffset = 0;
	buffer.fileBufferLength = 0;
	if (buffer.fileBufferEnded)
		return false;

	// A stream that cannot fill a block has ended (or failed, which ends the
	// data just the same and keeps the result deterministic).
	buffer.fileBufferLength = (uint32)psdCoreReadFullyAt(
	    buffer.fileBufferFile, buffer.fileBufferNext, buffer.fileBuffer, PSD_FILE_BUFFER_SIZE);
	buffer.fileBufferNext += buffer.fileBufferLength;
	if (buffer.fileBufferLength < PSD_FILE_BUFFER_SIZE)
		buffer.fileBufferEnded = true;
	return buffer.fileBufferLength > 0;
}

void psdCoreFileBufferInitAt(PSDFileBuffer& buffer, BPositionIO* in, off_t position)
{
	buffer.fileBufferFile = in;
	buffer.fileBufferEnded = position < 0;
	buffer.fileBufferNext = position;
	psdCoreFileBufferRefill(buffer);
}

bool psdReadAt(BPositionIO* in, uint64 position, void* destination, size_t size)
{
	if (position > (uint64)INT64_MAX - size)
		return false;
	return psdCoreReadFullyAt(in, (off_t)position, destination, size) == size;
}
