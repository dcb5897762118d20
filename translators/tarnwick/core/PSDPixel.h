#ifndef PSD_PIXEL_H
#define PSD_PIXEL_H

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

#endif
