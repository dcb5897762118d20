#ifndef PSD_BYTES_H
#define PSD_BYTES_H

// Big-endian numbers from bytes already at hand, for loops whose bounds are
// settled before they run (the byte reader's own reads, sample conversion,
// ZIP prediction); fields of unknown length are walked with PSDByteReader.

#include <DataIO.h>
#include <SupportDefs.h>

#include <cstdint>

inline uint16 psdBig16(const uint8* p)
{
	return (uint16)(p[0] << 8 | p[1]);
}

inline uint32 psdBig32(const uint8* p)
{
	return (uint32)p[0] << 24 | (uint32)p[1] << 16 | (uint32)p[2] << 8 | p[3];
}

inline uint64 psdBig64(const uint8* p)
{
	return (uint64)psdBig32(p) << 32 | psdBig32(p + 4);
}

// File offsets add up without wrapping: a sum past what a stream can hold
// stays past its end, so the read there fails.
inline uint64 psdAddOffsets(uint64 a, uint64 b)
{
	return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// True when all size bytes at the position were read.
bool psdReadAt(BPositionIO* in, uint64 position, void* destination, size_t size);

#endif
