#ifndef _HANDLER_REGISTRY_H
#define _HANDLER_REGISTRY_H

#include <SupportDefs.h>

#include <mutex>

class BHandler;
class BLooper;

namespace BPrivate {

// Every live handler by token, with the looper it belongs to. Messengers
// keep tokens, not pointers, so a message for a deleted handler or looper
// finds nothing instead of freed memory.
enum {
	B_NULL_TOKEN = -1,
	B_PREFERRED_TOKEN = -2,
};

int32 register_handler(BHandler* handler);
void unregister_handler(int32 token);
void set_handler_looper(int32 token, BLooper* looper);

// Held while a token is resolved and its looper's queue is used, so that the
// looper cannot finish unregistering in between.
std::mutex& handler_registry_lock();
// Needs handler_registry_lock(); null when the token is unknown.
BHandler* lookup_handler(int32 token, BLooper** looper);

} // namespace BPrivate

#endif
