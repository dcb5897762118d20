#ifndef PSD_COLOUR_WORK_H
#define PSD_COLOUR_WORK_H

// Conversions one reading queues while it decodes on: run on helper threads,
// one for each of the machine's other cores, and by the reading's own thread
// whenever the queue is full and at the end. Finish returns, with every
// helper joined, once all have run.

#include <SupportDefs.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class PSDColourWork {
public:
	// Helpers for jobs of an image of this many pixels: none for small ones.
	explicit PSDColourWork(uint64 pixels);
	~PSDColourWork();

	void Add(std::function<void()> job);
	void Finish();

private:
	void _Help();

	std::mutex fLock;
	std::condition_variable fQueued;
	std::deque<std::function<void()>> fJobs;
	bool fFinishing = false;
	std::vector<std::thread> fHelpers;
};

#endif
