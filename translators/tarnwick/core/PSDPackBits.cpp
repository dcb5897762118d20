#include "PSDPackBits.h"

void psdCoreUnpackBits(const uint8* packets, size_t size, uint64 first, size_t count, uint8* out)
{
	PSDPackBitsMemory source = {packets, 0, size};
	PSDPackBitsRest rest = PSDPackBitsRest();
	PSDPackBitsSkipSink skip;
	psdCoreDecodePackBitsSpan(source, rest, first, skip);
	PSDPackBitsCopySink copy = {out};
	psdCoreDecodePackBitsSpan(source, rest, count, copy);
}
