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

bool PSDFileBuffer::Refill()
{
	offset = 0;
	length = 0;
	if (ended)
		return false;
	// A stream that cannot fill a block has ended (or failed, which ends the
	// data just the same and keeps the result deterministic).
	length = (uint32)psdCoreReadFullyAt(file, next, bytes, PSD_FILE_BUFFER_SIZE);
	next += length;
	if (length < PSD_FILE_BUFFER_SIZE)
		ended = true;
	return length > 0;
}

void PSDFileBuffer::Init(BPositionIO* in, off_t position)
{
	file = in;
	ended = position < 0;
	next = position;
	Refill();
}

bool psdReadAt(BPositionIO* in, uint64 position, void* destination, size_t size)
{
	if (position > (uint64)INT64_MAX - size)
		return false;
	return psdCoreReadFullyAt(in, (off_t)position, destination, size) == size;
}
