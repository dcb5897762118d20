#include "PSDInflate.h"

#include "PSDBytes.h"

#include <cstring>

PSDInflater::PSDInflater(BPositionIO* in, uint64 offset, uint64 length, size_t inputSize)
    : fStatus(B_OK), fEnded(false), fIn(in), fNext(offset), fLeft(length), fInputSize(inputSize),
      fInput(new uint8[inputSize])
{
	memset(&fStream, 0, sizeof(fStream));
	if (inflateInit(&fStream) != Z_OK) {
		fStatus = B_NO_MEMORY;
		fEnded = true;
	}
}

PSDInflater::~PSDInflater()
{
	if (fStatus == B_OK)
		inflateEnd(&fStream);
}

bool PSDInflater::Refill()
{
	size_t size = fLeft < fInputSize ? (size_t)fLeft : fInputSize;
	if (size == 0 || fNext > (uint64)INT64_MAX)
		return false;
	ssize_t got = fIn->ReadAt((off_t)fNext, fInput.get(), size);
	if (got <= 0)
		return false;
	fNext += (uint64)got;
	fLeft -= (uint64)got;
	fStream.next_in = fInput.get();
	fStream.avail_in = (uInt)got;
	return true;
}

void PSDInflater::Read(uint8* destination, size_t size)
{
	while (size > 0 && !fEnded) {
		// With the input used up, inflate may still hold output of what it
		// has read (the rest of a long match): a cut stream gives that too.
		const bool input = fStream.avail_in > 0 || Refill();
		uInt chunk = size > (1u << 30) ? (1u << 30) : (uInt)size;
		fStream.next_out = destination;
		fStream.avail_out = chunk;
		int result = inflate(&fStream, Z_NO_FLUSH);
		size_t produced = chunk - fStream.avail_out;
		destination += produced;
		size -= produced;
		// Z_BUF_ERROR with input left means no progress is possible.
		if (result == Z_STREAM_END ||
		    (result != Z_OK && (result != Z_BUF_ERROR || produced == 0)) ||
		    (!input && produced == 0))
			fEnded = true;
	}
	memset(destination, 0, size);
}

void psdCoreUnpredictRow(uint8* row, uint32 width, uint32 sampleBytes, uint8* scratch)
{
	if (sampleBytes == 2) {
		uint16 previous = 0;
		for (uint32 i = 0; i < width; i++) {
			uint16 value = (uint16)(previous + psdBig16(row + 2 * (size_t)i));
			row[2 * (size_t)i] = (uint8)(value >> 8);
			row[2 * (size_t)i + 1] = (uint8)value;
			previous = value;
		}
		return;
	}
	const size_t bytes = (size_t)width * sampleBytes;
	for (size_t i = 1; i < bytes; i++)
		row[i] = (uint8)(row[i] + row[i - 1]);
	if (sampleBytes != 4)
		return;
	memcpy(scratch, row, bytes);
	for (uint32 i = 0; i < width; i++) {
		for (uint32 b = 0; b < 4; b++)
			row[4 * (size_t)i + b] = scratch[(size_t)b * width + i];
	}
}
