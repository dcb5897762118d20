#include "Batch.h"

#include "Convert.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

bool convert_files(BTranslatorRoster& roster, const Options& options)
{
	const std::vector<Job>& jobs = options.jobs;
	const size_t cores = std::max(1u, std::thread::hardware_concurrency());
	const size_t wanted = options.threads > 0 ? (size_t)options.threads : cores;
	const size_t workers = std::max<size_t>(1, std::min(wanted, jobs.size()));
	// Cores that no other file is using go to compressing this file's PNG.
	const PngCompression compression
		= {options.pngLevel, (int)std::max<size_t>(1, cores / workers)};

	std::atomic<size_t> next(0);
	std::atomic<bool> allSucceeded(true);
	auto work = [&] {
		for (size_t i; (i = next++) < jobs.size();) {
			if (!convert_file(roster, jobs[i].input, jobs[i].output, options.format, compression))
				allSucceeded = false;
		}
	};
	std::vector<std::thread> threads;
	for (size_t i = 1; i < workers; i++)
		threads.emplace_back(work);
	work();
	for (std::thread& thread : threads)
		thread.join();
	return allSucceeded;
}
