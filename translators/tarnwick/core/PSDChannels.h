#ifndef PSD_CHANNELS_H
#define PSD_CHANNELS_H

// Channel plane decoders: each takes one plane from the calling thread's read
// buffer (bound by psdCoreFileBufferInit) and writes width x height samples.
//
// Byte-plane decoders store sample i at first + 4 * i, so a loader picks the
// channel's byte of the pixel word by the address it passes. Mapped decoders
// store table[sample] as the whole pixel word. Sixteen-bit samples keep their
// high byte. PackBits planes are packed as bytes at every depth: a 16-bit
// plane is width x 2 bytes a row, and a packet may end between the two bytes
// of a sample.

#include <SupportDefs.h>

#include <cstring>

// A pixel word from its bytes in memory order (B_RGBA32).
inline uint32 psdCorePixel(uint8 blue, uint8 green, uint8 red, uint8 alpha)
{
	const uint8 bytes[4] = {blue, green, red, alpha};
	uint32 word;
	memcpy(&word, bytes, sizeof(word));
	return word;
}

void psdCoreReadChannel8Bits(uint32 width, uint32 height, uint8* first);
void psdCoreReadChannel16Bits(uint32 width, uint32 height, uint8* first);
void psdCoreReadChannelMapped(uint32 width, uint32 height, uint32* pixels, const uint32* table,
                              bool is16Bits);
void psdCoreReadChannel8BitsCompressed(uint32 width, uint32 height, uint8* first);
void psdCoreReadChannel16BitsCompressed(uint32 width, uint32 height, uint8* first);
void psdCoreReadChannelMappedCompressed(uint32 width, uint32 height, uint32* pixels,
                                        const uint32* table, bool is16Bits);
void psdCoreFillAlpha(uint32 width, uint32 height, uint32* pixels);

#endif
