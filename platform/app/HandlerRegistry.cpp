#include "HandlerRegistry.h"

#include <unordered_map>

namespace BPrivate {

namespace {

struct Entry {
	BHandler* handler;
	BLooper* looper;
};

// Never destroyed: looper threads may still be finishing while the process
// runs its static destructors.
std::mutex& gLock = *new std::mutex;
std::unordered_map<int32, Entry>& gHandlers = *new std::unordered_map<int32, Entry>;
int32 gNextToken = 1;

} // namespace

std::mutex& handler_registry_lock()
{
	return gLock;
}

int32 register_handler(BHandler* handler)
{
	std::lock_guard<std::mutex> guard(gLock);
	int32 token = gNextToken++;
	gHandlers[token] = Entry{handler, nullptr};
	return token;
}

void unregister_handler(int32 token)
{
	std::lock_guard<std::mutex> guard(gLock);
	gHandlers.erase(token);
}

void set_handler_looper(int32 token, BLooper* looper)
{
	std::lock_guard<std::mutex> guard(gLock);
	auto it = gHandlers.find(token);
	if (it != gHandlers.end())
		it->second.looper = looper;
}

BHandler* lookup_handler(int32 token, BLooper** looper)
{
	auto it = gHandlers.find(token);
	if (it == gHandlers.end()) {
		*looper = nullptr;
		return nullptr;
	}
	*looper = it->second.looper;
	return it->second.handler;
}

} // namespace BPrivate
