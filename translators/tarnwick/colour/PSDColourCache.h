#ifndef PSD_COLOUR_CACHE_H
#define PSD_COLOUR_CACHE_H

// Colour transforms made once for the life of the add-on: the verdict on a
// profile for a space and linearity, and its table for a sample size, kept
// for the most recent few profiles and shared by the readings that use
// them. Safe on any number of threads.

#include "PSDColourTransform.h"

// psdColourJudgeProfile's verdict, remembered; *made is the table where it
// has been made already, else null.
PSDProfileVerdict psdColourCachedVerdict(PSDColourSpace space, int sampleBytes, bool linear,
                                         const uint8* profile, size_t size,
                                         std::shared_ptr<const PSDColourTransform>* made);

// psdColourMakeTransform's table, made now where it is not kept yet.
std::shared_ptr<const PSDColourTransform> psdColourCachedTransform(PSDColourSpace space,
                                                                   int sampleBytes, bool linear,
                                                                   const uint8* profile,
                                                                   size_t size);

#endif
