#ifndef PSD_INTERLEAVE_H
#define PSD_INTERLEAVE_H

// Turns spans of plane samples, one contiguous byte array per plane, into
// B_RGBA32 pixel words. Plane 0 lands in red, 1 in green, 2 in blue, 3 in
// alpha (opaque when there is no plane 3).

#include <SupportDefs.h>

// Gray value v becomes the opaque pixel (v, v, v).
void psdCoreInterleaveGray(const uint8* plane, uint32 count, uint32* pixels);
void psdCoreInterleaveRGB(const uint8* const planes[3], uint32 count, uint32* pixels);
void psdCoreInterleaveRGBA(const uint8* const planes[4], uint32 count, uint32* pixels);
// psdColourInkByte of each ink and black, opaque; the samples as stored.
void psdCoreInterleaveCMYK(const uint8* const planes[4], uint32 count, uint32* pixels);

#endif
