#ifndef _MESSAGE_QUEUE_H
#define _MESSAGE_QUEUE_H

#include <SupportDefs.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

class BMessage;

namespace BPrivate {

struct Envelope {
	BMessage* message;
	int32 handlerToken;
};

// A looper's queue; it owns the messages in it.
class MessageQueue {
public:
	~MessageQueue();

	void Push(const Envelope& envelope);
	bool Pop(Envelope* envelope, bool wait);
	void Clear();

	// Also called after each push, for a loop that waits on something other
	// than this queue (the display's event queue).
	void SetWakeHook(void (*hook)());

private:
	std::mutex fLock;
	std::condition_variable fNotEmpty;
	std::deque<Envelope> fEnvelopes;
	std::atomic<void (*)()> fWakeHook{nullptr};
};

} // namespace BPrivate

#endif
