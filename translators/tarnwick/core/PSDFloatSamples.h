#ifndef PSD_FLOAT_SAMPLES_H
#define PSD_FLOAT_SAMPLES_H

// Photoshop's 32-bit documents hold linear light in floats. A colour sample x
// becomes the byte floor(255 srgb(clamp(x, 0, 1)) + 0.5), srgb being the
// IEC 61966-2-1 curve; an alpha sample floor(255 clamp(a, 0, 1) + 0.5). NaN
// reads as 0. The colour byte is psdColourLinearByte (PSDColourFormulas.h).

#include <SupportDefs.h>

uint8 psdCoreFloatAlphaByte(float a);

// Narrows count big-endian floats at samples into count bytes at its front,
// in place.
void psdCoreNarrowFloatSamples(uint8* samples, uint32 count, bool alpha);

// Widens count big-endian floats into count host-order 16-bit values at
// its front, in place: colour as floor(65535 clamp(x, 0, 1) + 0.5), still
// linear, alpha as 257 times its byte. NaN reads as 0.
void psdCoreWidenFloatSamples(uint8* samples, uint32 count, bool alpha);

#endif
