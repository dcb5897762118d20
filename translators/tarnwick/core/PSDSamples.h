#ifndef PSD_SAMPLES_H
#define PSD_SAMPLES_H

// Samples as files store them (bytes, 16-bit big-endian integers, 32-bit
// big-endian floats; sampleBytes 1, 2 or 4) made into what the readers
// work in: a byte each for the merged image, a float each for layers.

#include <SupportDefs.h>

// One byte a sample, at the front of samples, in place: bytes as they are,
// the high byte of 16-bit samples, floats as psdCoreNarrowFloatSamples
// makes them (colour through the sRGB curve, alpha linear).
void psdCoreNarrowSamples(uint8* samples, uint32 count, uint32 sampleBytes, bool alpha);

// 16-bit big-endian samples in the host's order, in place, for readings that
// keep them whole.
void psdCoreHostOrderSamples(uint8* samples, uint32 count);

// One float a sample: v / 255 and v / 65535 for integers, floats as stored
// (linear light, not clamped) with NaN as 0.
void psdCoreWidenSamples(const uint8* samples, uint32 count, uint32 sampleBytes, float* out);

#endif
