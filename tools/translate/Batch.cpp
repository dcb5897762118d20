#include "Batch.h"

#include "BatchPlan.h"
#include "Convert.h"
#include "ProgressLine.h"

#include <Tarnwick.h>
#include <TranslatorFormats.h>

#include <atomic>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

bool convert_files(BTranslatorRoster& roster, const Options& options)
{
	const std::vector<Job>& jobs = options.jobs;
	const BatchPlan plan =
	    plan_batch(jobs.size(), options.threads, std::thread::hardware_concurrency());
	const PngCompression compression = {options.pngLevel, plan.compressionThreads};
	BMessage extension;
	if (options.layers != LayerReading::kAutomatic)
		extension.AddBool(TARNWICK_EXT_LAYERS, options.layers == LayerReading::kLayers);
	if (options.size > 0)
		extension.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, BPoint(options.size, options.size));
	if (options.colour != ColourHandling::kAsStored) {
		extension.AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT,
		                   options.colour == ColourHandling::kKeepProfile
		                       ? B_TRANSLATOR_COLOR_KEEP_PROFILE
		                       : B_TRANSLATOR_COLOR_SRGB);
	}
	if (options.limit > 0)
		extension.AddInt64(TARNWICK_EXT_WORK_LIMIT, options.limit);

	std::unique_ptr<ProgressLine> progress;
	if (!options.quiet && isatty(STDERR_FILENO))
		progress.reset(new ProgressLine(jobs.size()));
	const bool png = options.format == OutputFormat::kPng;

	std::atomic<size_t> next(0);
	std::atomic<bool> allSucceeded(true);
	auto work = [&] {
		for (size_t i; (i = next++) < jobs.size();) {
			FileProgress* file = progress ? progress->Start(jobs[i].input, png) : nullptr;
			if (!convert_file(roster, jobs[i].input, jobs[i].output, options.format, compression,
			                  extension, file))
				allSucceeded = false;
			if (progress)
				progress->Finish(file);
		}
	};
	std::vector<std::thread> threads;
	for (size_t i = 1; i < plan.workers; i++)
		threads.emplace_back(work);
	work();
	for (std::thread& thread : threads)
		thread.join();
	return allSucceeded;
}
