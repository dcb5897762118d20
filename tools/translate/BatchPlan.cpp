#include "BatchPlan.h"

#include <algorithm>

BatchPlan plan_batch(size_t files, int requestedThreads, size_t cores)
{
	cores = std::max<size_t>(1, cores);
	const size_t threads = requestedThreads > 0 ? (size_t)requestedThreads : cores;
	const size_t workers = std::max<size_t>(1, std::min(threads, files));
	return {workers, (int)std::max<size_t>(1, std::min(threads / workers, cores))};
}
