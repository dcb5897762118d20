#include "PSDZeroedBuffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {

const size_t kHugePage = 2u << 20;

// A fresh anonymous mapping of whole 2 MiB pages, starting on a 2 MiB
// boundary and marked for transparent huge pages, so the kernel can back it
// with huge pages: one fault per 2 MiB instead of one per 4 KiB, which for a
// large image costs more than decoding it. Fresh mappings come zeroed.
uint8* map_huge(size_t size, size_t* mappedSize)
{
	const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
	void* raw = mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE,
	                 MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	if (raw == MAP_FAILED)
		return nullptr;
	uint8_t* start = (uint8_t*)raw;
	uint8_t* aligned = (uint8_t*)(((uintptr_t)start + kHugePage - 1) & ~(uintptr_t)(kHugePage - 1));
	if (aligned > start)
		munmap(start, aligned - start);
	uint8_t* end = start + rounded + kHugePage;
	if (end > aligned + rounded)
		munmap(aligned + rounded, end - (aligned + rounded));
#ifdef MADV_HUGEPAGE
	madvise(aligned, rounded, MADV_HUGEPAGE);
#endif
	*mappedSize = rounded;
	return aligned;
}

} // namespace

// Never new: a failed allocation must become a status, not an exception
// crossing the add-on boundary. Zeroed, because a stream that reads
// differently the second time (a pipe, a file rewritten meanwhile) can pass
// the header check and still make the loader skip the planes: the pixels it
// leaves unwritten must not carry old heap memory into the output.
PSDZeroedBuffer::PSDZeroedBuffer(size_t size) : fData(nullptr), fMappedSize(0)
{
	if (size >= kHugePage)
		fData = map_huge(size, &fMappedSize);
	if (fData == nullptr)
		fData = static_cast<uint8*>(calloc(1, size));
}

PSDZeroedBuffer::~PSDZeroedBuffer()
{
	if (fMappedSize > 0)
		munmap(fData, fMappedSize);
	else
		free(fData);
}
