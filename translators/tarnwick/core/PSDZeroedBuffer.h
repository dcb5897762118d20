#ifndef PSD_ZEROED_BUFFER_H
#define PSD_ZEROED_BUFFER_H

#include <SupportDefs.h>

// Zeroed memory for an image's worth of data: the pixel words of one
// translation, the planes ZIP data is inflated into. This is the one place
// that decides how they are allocated; they are released when the buffer
// goes out of scope, on every path out.
class PSDZeroedBuffer {
public:
	explicit PSDZeroedBuffer(size_t size);
	~PSDZeroedBuffer();

	// Null when the allocation failed.
	uint8* Data() const { return fData; }

private:
	PSDZeroedBuffer(const PSDZeroedBuffer&) = delete;
	PSDZeroedBuffer& operator=(const PSDZeroedBuffer&) = delete;

	uint8* fData;
	size_t fMappedSize; // 0 when fData came from calloc
};

#endif
