#ifndef PSD_TEST_SUPPORT_H
#define PSD_TEST_SUPPORT_H

#include "PsdWriter.h"
#include <core/PSDMergedImage.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace psdtest {

// A memory stream that, like a pipe, may deliver fewer bytes than asked for
// before its end.
class ChunkedIO : public BMemoryIO {
public:
	ChunkedIO(const Bytes& data, size_t chunk) : BMemoryIO(data.data(), data.size()), fChunk(chunk)
	{
	}
	ssize_t Read(void* buffer, size_t size) override
	{
		return BMemoryIO::Read(buffer, size < fChunk ? size : fChunk);
	}
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		return BMemoryIO::ReadAt(position, buffer, size < fChunk ? size : fChunk);
	}

private:
	size_t fChunk;
};

// Describes the file and decodes its merged image as `kind`, as Translate
// does, into the image's pixel words; the status of the step that failed.
inline status_t decodeMerged(BPositionIO* in, PSDMergedKind kind, uint32_t* pixels)
{
	PSDDocument document;
	std::string reason;
	status_t status = psdCoreDescribe(in, &document, &reason);
	if (status != B_OK)
		return status;
	PSDPixelBufferSink sink(pixels);
	return psdCoreDecodeMerged(in, document, kind, sink);
}

inline status_t decodeMerged(const Bytes& file, PSDMergedKind kind, uint32_t* pixels)
{
	BMemoryIO in(file.data(), file.size());
	return decodeMerged(&in, kind, pixels);
}

// Pixel words whose last one ends right before an inaccessible page, so any
// write past the buffer faults, under a sanitizer or not. Starts filled with
// `fill`.
class GuardedPixels {
public:
	GuardedPixels(size_t count, uint8_t fill = 0xA5) : fCount(count)
	{
		const size_t page = (size_t)sysconf(_SC_PAGESIZE);
		fDataPages = (count * 4 + page - 1) / page * page;
		fMapping = mmap(nullptr, fDataPages + page, PROT_READ | PROT_WRITE,
		                MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
		if (fMapping == MAP_FAILED)
			throw std::runtime_error("mmap");
		mprotect((uint8_t*)fMapping + fDataPages, page, PROT_NONE);
		fPixels = (uint32_t*)((uint8_t*)fMapping + fDataPages - count * 4);
		memset(fPixels, fill, count * 4);
	}
	~GuardedPixels() { munmap(fMapping, fDataPages + (size_t)sysconf(_SC_PAGESIZE)); }
	GuardedPixels(const GuardedPixels&) = delete;
	GuardedPixels& operator=(const GuardedPixels&) = delete;

	uint32_t* Data() { return fPixels; }
	std::vector<uint32_t> Copy() const { return std::vector<uint32_t>(fPixels, fPixels + fCount); }

private:
	size_t fCount;
	size_t fDataPages;
	void* fMapping;
	uint32_t* fPixels;
};

// Pixel word from memory-order bytes, as the core writes them.
inline uint32_t pixel(uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha)
{
	const uint8_t bytes[4] = {blue, green, red, alpha};
	uint32_t word;
	memcpy(&word, bytes, 4);
	return word;
}

inline uint8_t byteOf(uint32_t word, int index)
{
	return ((const uint8_t*)&word)[index];
}

} // namespace psdtest

#endif
