#include "InterruptCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// One slot per file being written at once (one per job); fixed storage, so
// that the handler touches nothing that may be half built.
const int kSlots = 256;
char gPaths[kSlots][PATH_MAX];
std::atomic<bool> gUsed[kSlots];
std::atomic<bool> gClaimed[kSlots];

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void remove_and_reraise(int signalNumber)
{
	remove_temporary_files();
	signal(signalNumber, SIG_DFL);
	raise(signalNumber);
}

} // namespace

void remove_temporary_files()
{
	for (int i = 0; i < kSlots; i++) {
		if (gUsed[i].load(std::memory_order_acquire))
			unlink(gPaths[i]);
	}
}

void remove_temporary_files_on_interrupt()
{
	struct sigaction action = {};
	action.sa_handler = remove_and_reraise;
	sigemptyset(&action.sa_mask);
	for (int signalNumber : kSignals)
		sigaddset(&action.sa_mask, signalNumber);
	for (int signalNumber : kSignals)
		sigaction(signalNumber, &action, nullptr);
}

int register_temporary_file(const char* path)
{
	if (strlen(path) >= PATH_MAX)
		return -1;
	for (int i = 0; i < kSlots; i++) {
		bool expected = false;
		if (gClaimed[i].compare_exchange_strong(expected, true)) {
			strcpy(gPaths[i], path);
			gUsed[i].store(true, std::memory_order_release);
			return i;
		}
	}
	return -1;
}

void unregister_temporary_file(int slot)
{
	if (slot < 0)
		return;
	gUsed[slot].store(false, std::memory_order_release);
	gClaimed[slot].store(false, std::memory_order_release);
}
