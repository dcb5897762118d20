#ifndef _LOOPER_EXIT_H
#define _LOOPER_EXIT_H

#include <condition_variable>
#include <mutex>

namespace BPrivate {

// Signalled by a looper's thread once the looper is deleted.
struct LooperExit {
	std::mutex lock;
	std::condition_variable done;
	bool exited = false;

	void Signal()
	{
		std::lock_guard<std::mutex> guard(lock);
		exited = true;
		done.notify_all();
	}

	void Wait()
	{
		std::unique_lock<std::mutex> guard(lock);
		done.wait(guard, [this] { return exited; });
	}
};

// The internal message that ends a loop without asking QuitRequested.
enum { B_QUIT_LOOPER = 0x5f514954 }; // '_QIT'

} // namespace BPrivate

#endif
