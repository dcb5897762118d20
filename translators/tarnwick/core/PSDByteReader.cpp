#include "PSDByteReader.h"

#include "PSDBytes.h"
#include "PSDFileBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kBufferSize = 65536;

} // namespace

PSDByteReader::PSDByteReader(const uint8* data, size_t size)
    : fIn(nullptr), fData(data), fBegin(0), fEnd(size), fPosition(0), fFailed(false),
      fBufferStart(0)
{
}

PSDByteReader::PSDByteReader(BPositionIO* in, uint64 begin, uint64 end)
    : fIn(in), fData(nullptr), fBegin(begin), fEnd(end < begin ? begin : end), fPosition(begin),
      fFailed(false), fBufferStart(begin)
{
}

// Makes the stream's next size bytes (size <= kBufferSize) lie in the buffer.
bool PSDByteReader::Fill(size_t size)
{
	if (fPosition >= fBufferStart && fPosition + size <= fBufferStart + fBuffer.size())
		return true;
	const uint64 want = std::min<uint64>(fEnd - fPosition, kBufferSize);
	fBuffer.resize((size_t)want);
	size_t got = 0;
	if (fPosition <= (uint64)INT64_MAX - want)
		got = psdCoreReadFullyAt(fIn, (off_t)fPosition, fBuffer.data(), (size_t)want);
	if (got < want) {
		// The stretch claims more than the stream holds: it ends with the stream.
		fBuffer.resize(got);
		fEnd = fPosition + got;
	}
	fBufferStart = fPosition;
	return size <= fBuffer.size();
}

const uint8* PSDByteReader::Take(size_t size)
{
	if (fFailed || size > fEnd - fPosition || (fIn != nullptr && !Fill(size))) {
		fFailed = true;
		return nullptr;
	}
	const uint8* bytes =
	    fIn != nullptr ? fBuffer.data() + (fPosition - fBufferStart) : fData + fPosition;
	fPosition += size;
	return bytes;
}

uint8 PSDByteReader::Uint8()
{
	const uint8* bytes = Take(1);
	return bytes != nullptr ? bytes[0] : 0;
}

uint16 PSDByteReader::Big16()
{
	const uint8* bytes = Take(2);
	return bytes != nullptr ? psdBig16(bytes) : 0;
}

uint32 PSDByteReader::Big32()
{
	const uint8* bytes = Take(4);
	return bytes != nullptr ? psdBig32(bytes) : 0;
}

uint64 PSDByteReader::Big64()
{
	const uint8* bytes = Take(8);
	return bytes != nullptr ? psdBig64(bytes) : 0;
}

float PSDByteReader::BigFloat()
{
	const uint32 bits = Big32();
	float value;
	memcpy(&value, &bits, sizeof(value));
	return value;
}

double PSDByteReader::BigDouble()
{
	const uint64 bits = Big64();
	double value;
	memcpy(&value, &bits, sizeof(value));
	return value;
}

bool PSDByteReader::Read(void* destination, size_t size)
{
	uint8* out = (uint8*)destination;
	while (size > 0) {
		const size_t chunk = fIn != nullptr ? std::min(size, kBufferSize) : size;
		const uint8* bytes = Take(chunk);
		if (bytes == nullptr)
			return false;
		memcpy(out, bytes, chunk);
		out += chunk;
		size -= chunk;
	}
	return !fFailed;
}

bool PSDByteReader::Seek(uint64 position)
{
	if (fFailed || position < fBegin || position > fEnd) {
		fFailed = true;
		return false;
	}
	fPosition = position;
	return true;
}

bool PSDByteReader::Skip(uint64 count)
{
	if (fFailed || count > fEnd - fPosition) {
		fFailed = true;
		return false;
	}
	fPosition += count;
	return true;
}

PSDByteReader PSDByteReader::Sub(uint64 length) const
{
	const uint64 end = fPosition + std::min(length, Left());
	if (fIn != nullptr)
		return PSDByteReader(fIn, fPosition, end);
	PSDByteReader sub(fData, (size_t)end);
	sub.fBegin = sub.fPosition = fPosition;
	return sub;
}
