#include "PSDVectorCode.h"

#include <atomic>

static std::atomic<bool> sVectorCode(true);

bool psdCoreVectorCode()
{
	return PSD_CORE_HAS_SSE2 && sVectorCode.load(std::memory_order_relaxed);
}

void psdCoreSetVectorCode(bool enabled)
{
	sVectorCode.store(enabled, std::memory_order_relaxed);
}
