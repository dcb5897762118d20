#include "WindowList.h"

#include "LooperExit.h"

#include <AppDefs.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace BPrivate {

namespace {

struct WindowEntry {
	BWindow* window;
	BMessenger messenger;
	bool running;
};

// Never destroyed: window threads may still be finishing while the process
// runs its static destructors.
std::mutex& gLock = *new std::mutex;
std::condition_variable& gChanged = *new std::condition_variable;
std::vector<WindowEntry>& gWindows = *new std::vector<WindowEntry>;

std::vector<BMessenger> running_windows()
{
	std::lock_guard<std::mutex> guard(gLock);
	std::vector<BMessenger> messengers;
	for (const WindowEntry& entry : gWindows) {
		if (entry.running)
			messengers.push_back(entry.messenger);
	}
	return messengers;
}

} // namespace

void add_window(BWindow* window)
{
	std::lock_guard<std::mutex> guard(gLock);
	gWindows.push_back(WindowEntry{window, BMessenger(window), false});
}

void remove_window(BWindow* window)
{
	std::lock_guard<std::mutex> guard(gLock);
	gWindows.erase(
	    std::remove_if(gWindows.begin(), gWindows.end(),
	                   [window](const WindowEntry& entry) { return entry.window == window; }),
	    gWindows.end());
	gChanged.notify_all();
}

void set_window_running(BWindow* window)
{
	std::lock_guard<std::mutex> guard(gLock);
	for (WindowEntry& entry : gWindows) {
		if (entry.window == window)
			entry.running = true;
	}
}

int32 count_windows()
{
	std::lock_guard<std::mutex> guard(gLock);
	return (int32)gWindows.size();
}

BWindow* window_at(int32 index)
{
	std::lock_guard<std::mutex> guard(gLock);
	if (index < 0 || index >= (int32)gWindows.size())
		return nullptr;
	return gWindows[index].window;
}

bool ask_windows_to_quit()
{
	std::vector<BMessenger> asked = running_windows();
	for (const BMessenger& messenger : asked) {
		BMessage reply;
		bool agreed = true;
		if (messenger.SendMessage(B_QUIT_REQUESTED, &reply) == B_OK && reply.what == B_REPLY &&
		    reply.FindBool("result", &agreed) == B_OK && !agreed) {
			return false;
		}
	}
	// A window answers before it is deleted: wait until all of them are.
	std::unique_lock<std::mutex> guard(gLock);
	gChanged.wait(guard, [&asked] {
		return std::none_of(gWindows.begin(), gWindows.end(), [&asked](const WindowEntry& entry) {
			return std::find(asked.begin(), asked.end(), entry.messenger) != asked.end();
		});
	});
	return true;
}

void quit_running_windows()
{
	for (const BMessenger& messenger : running_windows())
		messenger.SendMessage(B_QUIT_LOOPER);
	std::unique_lock<std::mutex> guard(gLock);
	gChanged.wait(guard, [] {
		return std::none_of(gWindows.begin(), gWindows.end(),
		                    [](const WindowEntry& entry) { return entry.running; });
	});
}

} // namespace BPrivate
