#include <DataIO.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace {

const uintptr_t kHugePageSize = 2 << 20;

// A bitmap written into memory is one large buffer written once: on 4 KiB
// pages its page faults cost more than decoding the image. Only whole huge
// pages inside the buffer are marked, so neighbouring heap memory keeps its
// own advice.
void advise_huge_pages(void* data, size_t size)
{
	uintptr_t start = ((uintptr_t)data + kHugePageSize - 1) & ~(kHugePageSize - 1);
	uintptr_t end = ((uintptr_t)data + size) & ~(kHugePageSize - 1);
	if (end > start)
		madvise((void*)start, end - start, MADV_HUGEPAGE);
}

} // namespace

BDataIO::BDataIO() {}
BDataIO::~BDataIO() {}

ssize_t BDataIO::Read(void*, size_t)
{
	return B_NOT_SUPPORTED;
}

ssize_t BDataIO::Write(const void*, size_t)
{
	return B_NOT_SUPPORTED;
}

BPositionIO::BPositionIO() {}
BPositionIO::~BPositionIO() {}

ssize_t BPositionIO::Read(void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t result = ReadAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}

ssize_t BPositionIO::Write(const void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t result = WriteAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}

status_t BPositionIO::SetSize(off_t)
{
	return B_ERROR;
}

status_t BPositionIO::GetSize(off_t* size) const
{
	if (size == nullptr)
		return B_BAD_VALUE;
	// Seeking is not const; a stream that knows its size overrides this.
	BPositionIO* self = const_cast<BPositionIO*>(this);
	off_t current = self->Position();
	off_t end = self->Seek(0, SEEK_END);
	self->Seek(current, SEEK_SET);
	if (end < 0)
		return (status_t)end;
	*size = end;
	return B_OK;
}

// Moves a position by a signed offset, refusing results outside [0, max].
static off_t resolve_seek(off_t base, off_t offset, off_t* result)
{
	if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
		return B_BAD_VALUE;
	*result = base + offset;
	return B_OK;
}

BMemoryIO::BMemoryIO(void* data, size_t length)
    : fReadOnly(false), fBuffer((char*)data), fLength(length), fBufferSize(length), fPosition(0)
{
}

BMemoryIO::BMemoryIO(const void* data, size_t length)
    : fReadOnly(true), fBuffer((char*)const_cast<void*>(data)), fLength(length),
      fBufferSize(length), fPosition(0)
{
}

BMemoryIO::~BMemoryIO() {}

ssize_t BMemoryIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (buffer == nullptr || position < 0)
		return B_BAD_VALUE;
	if ((uint64)position >= fLength)
		return 0;
	size_t available = fLength - (size_t)position;
	if (size > available)
		size = available;
	memcpy(buffer, fBuffer + position, size);
	return (ssize_t)size;
}

ssize_t BMemoryIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (fReadOnly)
		return B_NOT_SUPPORTED;
	if (buffer == nullptr || position < 0)
		return B_BAD_VALUE;
	if ((uint64)position >= fBufferSize)
		return 0;
	size_t available = fBufferSize - (size_t)position;
	if (size > available)
		size = available;
	memcpy(fBuffer + position, buffer, size);
	if ((size_t)position + size > fLength)
		fLength = (size_t)position + size;
	return (ssize_t)size;
}

off_t BMemoryIO::Seek(off_t position, uint32 seekMode)
{
	off_t base;
	switch (seekMode) {
	case SEEK_SET:
		base = 0;
		break;
	case SEEK_CUR:
		base = fPosition;
		break;
	case SEEK_END:
		base = (off_t)fLength;
		break;
	default:
		return B_BAD_VALUE;
	}
	off_t result;
	if (resolve_seek(base, position, &result) != B_OK)
		return B_BAD_VALUE;
	fPosition = result;
	return fPosition;
}

off_t BMemoryIO::Position() const
{
	return fPosition;
}

status_t BMemoryIO::SetSize(off_t size)
{
	if (fReadOnly)
		return B_NOT_SUPPORTED;
	if (size < 0 || (uint64)size > fBufferSize)
		return B_ERROR;
	fLength = (size_t)size;
	return B_OK;
}

BMallocIO::BMallocIO() : fBlockSize(256), fMallocSize(0), fLength(0), fData(nullptr), fPosition(0)
{
}

BMallocIO::~BMallocIO()
{
	free(fData);
}

ssize_t BMallocIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (buffer == nullptr || position < 0)
		return B_BAD_VALUE;
	if ((uint64)position >= fLength)
		return 0;
	size_t available = fLength - (size_t)position;
	if (size > available)
		size = available;
	memcpy(buffer, fData + position, size);
	return (ssize_t)size;
}

ssize_t BMallocIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (buffer == nullptr || position < 0)
		return B_BAD_VALUE;
	if (size == 0)
		return 0;
	if ((uint64)position > SIZE_MAX - size)
		return B_NO_MEMORY;
	size_t end = (size_t)position + size;
	if (end > fLength) {
		status_t status = _Reserve(end);
		if (status != B_OK)
			return status;
		// Bytes skipped over by a seek past the end read as zero.
		if ((size_t)position > fLength)
			memset(fData + fLength, 0, (size_t)position - fLength);
		fLength = end;
	}
	memcpy(fData + position, buffer, size);
	return (ssize_t)size;
}

off_t BMallocIO::Seek(off_t position, uint32 seekMode)
{
	off_t base;
	switch (seekMode) {
	case SEEK_SET:
		base = 0;
		break;
	case SEEK_CUR:
		base = fPosition;
		break;
	case SEEK_END:
		base = (off_t)fLength;
		break;
	default:
		return B_BAD_VALUE;
	}
	off_t result;
	if (resolve_seek(base, position, &result) != B_OK)
		return B_BAD_VALUE;
	fPosition = result;
	return fPosition;
}

off_t BMallocIO::Position() const
{
	return fPosition;
}

status_t BMallocIO::SetSize(off_t size)
{
	if (size < 0 || (uint64)size > SIZE_MAX)
		return B_BAD_VALUE;
	if ((size_t)size > fLength) {
		status_t status = _Reserve((size_t)size);
		if (status != B_OK)
			return status;
		memset(fData + fLength, 0, (size_t)size - fLength);
	}
	fLength = (size_t)size;
	return B_OK;
}

void BMallocIO::SetBlockSize(size_t blockSize)
{
	fBlockSize = blockSize == 0 ? 1 : blockSize;
}

const void* BMallocIO::Buffer() const
{
	return fData;
}

size_t BMallocIO::BufferLength() const
{
	return fLength;
}

status_t BMallocIO::_Reserve(size_t size)
{
	if (size <= fMallocSize)
		return B_OK;
	// Grow geometrically so that many small writes stay linear overall.
	size_t wanted = fMallocSize + fMallocSize / 2;
	if (wanted < size)
		wanted = size;
	if (wanted > SIZE_MAX - fBlockSize)
		return B_NO_MEMORY;
	wanted = (wanted + fBlockSize - 1) / fBlockSize * fBlockSize;
	char* data = (char*)realloc(fData, wanted);
	if (data == nullptr)
		return B_NO_MEMORY;
	if (wanted >= 2 * kHugePageSize)
		advise_huge_pages(data, wanted);
	fData = data;
	fMallocSize = wanted;
	return B_OK;
}
