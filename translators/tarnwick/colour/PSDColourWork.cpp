#include "PSDColourWork.h"

#include "PSDColourThreads.h"

#include <system_error>

namespace {

// Below this, a thread costs more than it saves.
const uint64 kPixelsPerHelper = 256 * 1024;
// Jobs queued for each helper before the reading runs one itself.
const size_t kJobsPerHelper = 2;

} // namespace

PSDColourWork::PSDColourWork(uint64 pixels)
{
	const int helpers = psdColourThreads(pixels / kPixelsPerHelper) - 1;
	for (int i = 0; i < helpers; i++) {
		try {
			fHelpers.emplace_back(&PSDColourWork::_Help, this);
		} catch (const std::system_error&) {
			break;
		}
	}
}

PSDColourWork::~PSDColourWork()
{
	Finish();
}

void PSDColourWork::Add(std::function<void()> job)
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (fJobs.size() < kJobsPerHelper * fHelpers.size()) {
			fJobs.push_back(std::move(job));
			fQueued.notify_one();
			return;
		}
	}
	job();
}

void PSDColourWork::Finish()
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fFinishing = true;
		fQueued.notify_all();
	}
	_Help();
	for (std::thread& helper : fHelpers)
		helper.join();
	fHelpers.clear();
}

void PSDColourWork::_Help()
{
	for (;;) {
		std::function<void()> job;
		{
			std::unique_lock<std::mutex> lock(fLock);
			fQueued.wait(lock, [this] { return fFinishing || !fJobs.empty(); });
			if (fJobs.empty())
				return;
			job = std::move(fJobs.front());
			fJobs.pop_front();
		}
		job();
	}
}
