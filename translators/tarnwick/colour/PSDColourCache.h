#ifndef PSD_COLOUR_CACHE_H
#define PSD_COLOUR_CACHE_H

// Transforms made once for the life of the add-on: psdColourMakeTransform's
// result (and verdict) for a profile, a space, a sample size and linearity,
// kept for the most recent few, shared by the readings that use them. Safe
// on any number of threads.

#include "PSDColourTransform.h"

PSDProfileVerdict psdColourCachedTransform(PSDColourSpace space, int sampleBytes, bool linear,
                                           const uint8* profile, size_t size,
                                           std::shared_ptr<const PSDColourTransform>* transform);

#endif
