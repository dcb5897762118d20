#ifndef TRANSLATE_BATCH_PLAN_H
#define TRANSLATE_BATCH_PLAN_H

#include <cstddef>

// How a batch spends its threads: -j N means N threads in all. Up to N files
// are converted at once, and the threads that no file is using go to
// compressing the PNGs of those that are, never more than one per core.
struct BatchPlan {
	size_t workers;
	int compressionThreads;
};

// requestedThreads is -j's value, 0 for one per core.
BatchPlan plan_batch(size_t files, int requestedThreads, size_t cores);

#endif
