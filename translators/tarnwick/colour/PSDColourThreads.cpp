#include "PSDColourThreads.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

int psdColourThreads(uint64 pieces)
{
	const uint64 cores = std::max(1u, std::thread::hardware_concurrency());
	return (int)std::max<uint64>(1, std::min(cores, pieces));
}

void psdColourInParallel(uint64 count, uint64 minimumRange,
                         const std::function<void(uint64 first, uint64 end)>& work)
{
	const int threads = psdColourThreads(count / std::max<uint64>(minimumRange, 1));
	const uint64 range = (count + threads - 1) / threads;
	std::vector<std::thread> helpers;
	uint64 first = range;
	for (; first < count; first += range) {
		const uint64 end = std::min(count, first + range);
		try {
			helpers.emplace_back(work, first, end);
		} catch (const std::system_error&) {
			break;
		}
	}
	work(0, std::min(count, range));
	if (first < count)
		work(first, count);
	for (std::thread& helper : helpers)
		helper.join();
}
