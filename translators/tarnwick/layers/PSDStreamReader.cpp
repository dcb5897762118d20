#include "PSDStreamReader.h"

#include <core/PSDBytes.h>
#include <core/PSDFileBuffer.h>

#include <cstring>

namespace {

const size_t kBufferSize = 65536;

} // namespace

PSDStreamReader::PSDStreamReader(BPositionIO* in, uint64 begin, uint64 end)
    : fIn(in), fBegin(begin), fEnd(end < begin ? begin : end), fPosition(begin), fFailed(false),
      fBufferStart(begin)
{
}

// Makes the next size bytes (size <= kBufferSize) lie in the buffer.
bool PSDStreamReader::Fill(size_t size)
{
	if (fFailed || size > fEnd - fPosition) {
		fFailed = true;
		return false;
	}
	if (fPosition >= fBufferStart && fPosition + size <= fBufferStart + fBuffer.size())
		return true;
	const uint64 want = fEnd - fPosition < kBufferSize ? fEnd - fPosition : kBufferSize;
	fBuffer.resize((size_t)want);
	size_t got = 0;
	if (fPosition <= (uint64)INT64_MAX - want)
		got = psdCoreReadFullyAt(fIn, (off_t)fPosition, fBuffer.data(), (size_t)want);
	if (got < want) {
		// The stretch claims more than the file holds: it ends with the file.
		fBuffer.resize(got);
		fEnd = fPosition + got;
	}
	fBufferStart = fPosition;
	if (size > fBuffer.size()) {
		fFailed = true;
		return false;
	}
	return true;
}

uint8 PSDStreamReader::Uint8()
{
	if (!Fill(1))
		return 0;
	return fBuffer[(size_t)(fPosition++ - fBufferStart)];
}

uint16 PSDStreamReader::Big16()
{
	if (!Fill(2))
		return 0;
	uint16 value = psdBig16(fBuffer.data() + (fPosition - fBufferStart));
	fPosition += 2;
	return value;
}

uint32 PSDStreamReader::Big32()
{
	if (!Fill(4))
		return 0;
	uint32 value = psdBig32(fBuffer.data() + (fPosition - fBufferStart));
	fPosition += 4;
	return value;
}

uint64 PSDStreamReader::Big64()
{
	if (!Fill(8))
		return 0;
	uint64 value = psdBig64(fBuffer.data() + (fPosition - fBufferStart));
	fPosition += 8;
	return value;
}

double PSDStreamReader::BigDouble()
{
	uint64 bits = Big64();
	double value;
	memcpy(&value, &bits, sizeof(value));
	return value;
}

bool PSDStreamReader::Read(void* destination, size_t size)
{
	uint8* out = (uint8*)destination;
	while (size > 0) {
		size_t chunk = size < kBufferSize ? size : kBufferSize;
		if (!Fill(chunk))
			return false;
		memcpy(out, fBuffer.data() + (fPosition - fBufferStart), chunk);
		fPosition += chunk;
		out += chunk;
		size -= chunk;
	}
	return !fFailed;
}

bool PSDStreamReader::Seek(uint64 position)
{
	if (fFailed || position < fBegin || position > fEnd) {
		fFailed = true;
		return false;
	}
	fPosition = position;
	return true;
}

bool PSDStreamReader::Skip(uint64 count)
{
	if (fFailed || count > fEnd - fPosition) {
		fFailed = true;
		return false;
	}
	fPosition += count;
	return true;
}

PSDStreamReader PSDStreamReader::Sub(uint64 length) const
{
	uint64 left = fFailed ? 0 : fEnd - fPosition;
	return PSDStreamReader(fIn, fPosition, fPosition + (length < left ? length : left));
}
