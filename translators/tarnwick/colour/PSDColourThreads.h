#ifndef PSD_COLOUR_THREADS_H
#define PSD_COLOUR_THREADS_H

// Work spread over the machine's cores: the calling thread takes a share,
// and every thread has been joined when the call returns.

#include <SupportDefs.h>

#include <functional>

// Threads worth having for the pieces: one per core, no more than pieces.
int psdColourThreads(uint64 pieces);

// Runs work(first, end) over [0, count) in as many contiguous ranges as
// there are threads, none smaller than minimumRange. Where no thread can be
// started, the calling thread does the rest itself.
void psdColourInParallel(uint64 count, uint64 minimumRange,
                         const std::function<void(uint64 first, uint64 end)>& work);

#endif
