#include "PSDFileBuffer.h"

#include "PSDBytes.h"

#include <cstring>

// Trivially constructible, so access needs no guard; zero at thread start.
static thread_local PSDFileBuffer sFileBuffer;

PSDFileBuffer& psdCoreFileBufferState()
{
	return sFileBuffer;
}

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
	if (buffer.fileBufferEnded || buffer.fileBufferFile == nullptr)
		return false;

	// A stream that cannot fill a block has ended (or failed, which ends the
	// data just the same and keeps the result deterministic).
	if (buffer.fileBufferPositioned) {
		buffer.fileBufferLength = (uint32)psdCoreReadFullyAt(
		    buffer.fileBufferFile, buffer.fileBufferNext, buffer.fileBuffer, PSD_FILE_BUFFER_SIZE);
		buffer.fileBufferNext += buffer.fileBufferLength;
	} else {
		buffer.fileBufferLength = (uint32)psdCoreReadFully(buffer.fileBufferFile, buffer.fileBuffer,
		                                                   PSD_FILE_BUFFER_SIZE);
	}
	if (buffer.fileBufferLength < PSD_FILE_BUFFER_SIZE)
		buffer.fileBufferEnded = true;
	return buffer.fileBufferLength > 0;
}

void psdCoreFileBufferInit(BPositionIO* in)
{
	PSDFileBuffer& buffer = sFileBuffer;
	buffer.fileBufferFile = in;
	buffer.fileBufferEnded = false;
	buffer.fileBufferPositioned = false;
	psdCoreFileBufferRefill(buffer);
}

void psdCoreFileBufferInitAt(PSDFileBuffer& buffer, BPositionIO* in, off_t position)
{
	buffer.fileBufferFile = in;
	buffer.fileBufferEnded = position < 0;
	buffer.fileBufferPositioned = true;
	buffer.fileBufferNext = position;
	psdCoreFileBufferRefill(buffer);
}

uint8 psdCoreFileBufferReadUint8()
{
	PSDFileBuffer& buffer = sFileBuffer;
	uint32 offset = buffer.fileBufferOffset;
	uint32 length = buffer.fileBufferLength;
	if (!psdCoreFileBufferEnsure(buffer, offset, length))
		return 0;
	buffer.fileBufferOffset = offset + 1;
	return buffer.fileBuffer[offset];
}

void psdCoreFileBufferRead(uint32 length, uint8* destination)
{
	PSDFileBuffer& buffer = sFileBuffer;
	uint32 offset = buffer.fileBufferOffset;
	uint32 available = buffer.fileBufferLength;
	while (length > 0) {
		if (!psdCoreFileBufferEnsure(buffer, offset, available)) {
			memset(destination, 0, length);
			break;
		}
		uint32 chunk = available - offset < length ? available - offset : length;
		memcpy(destination, buffer.fileBuffer + offset, chunk);
		destination += chunk;
		offset += chunk;
		length -= chunk;
	}
	buffer.fileBufferOffset = offset;
}

bool psdReadAt(BPositionIO* in, uint64 position, void* destination, size_t size)
{
	if (position > (uint64)INT64_MAX - size)
		return false;
	return psdCoreReadFullyAt(in, (off_t)position, destination, size) == size;
}
