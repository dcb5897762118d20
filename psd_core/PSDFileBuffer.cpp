#include "PSDFileBuffer.h"

#include <cstring>

// Trivially constructible, so access needs no guard; zero at thread start.
static thread_local PSDFileBuffer sFileBuffer;

PSDFileBuffer& psdCoreFileBufferState()
{
	return sFileBuffer;
}

bool psdCoreFileBufferRefill(PSDFileBuffer& buffer)
{
	buffer.fileBufferOffset = 0;
	buffer.fileBufferLength = 0;
	if (buffer.fileBufferEnded || buffer.fileBufferFile == nullptr)
		return false;

	ssize_t got = buffer.fileBufferFile->Read(buffer.fileBuffer, PSD_FILE_BUFFER_SIZE);
	// A positioned stream gives a short count only at its end (or on an error,
	// which ends the data just the same and keeps the result deterministic).
	if (got < (ssize_t)PSD_FILE_BUFFER_SIZE)
		buffer.fileBufferEnded = true;
	if (got > 0)
		buffer.fileBufferLength = got > (ssize_t)PSD_FILE_BUFFER_SIZE ? PSD_FILE_BUFFER_SIZE : (uint32)got;
	return buffer.fileBufferLength > 0;
}

void psdCoreFileBufferInit(BPositionIO* in)
{
	PSDFileBuffer& buffer = sFileBuffer;
	buffer.fileBufferFile = in;
	buffer.fileBufferEnded = false;
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
