#include "MessageQueue.h"

#include <Message.h>

namespace BPrivate {

MessageQueue::~MessageQueue()
{
	Clear();
}

void MessageQueue::Push(const Envelope& envelope)
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		fEnvelopes.push_back(envelope);
	}
	fNotEmpty.notify_one();
	if (void (*hook)() = fWakeHook.load())
		hook();
}

bool MessageQueue::Pop(Envelope* envelope, bool wait)
{
	std::unique_lock<std::mutex> guard(fLock);
	if (wait)
		fNotEmpty.wait(guard, [this] { return !fEnvelopes.empty(); });
	if (fEnvelopes.empty())
		return false;
	*envelope = fEnvelopes.front();
	fEnvelopes.pop_front();
	return true;
}

void MessageQueue::Clear()
{
	std::deque<Envelope> dropped;
	{
		std::lock_guard<std::mutex> guard(fLock);
		dropped.swap(fEnvelopes);
	}
	// Deleting may answer waiting senders: done outside the queue's lock.
	for (const Envelope& envelope : dropped)
		delete envelope.message;
}

void MessageQueue::SetWakeHook(void (*hook)())
{
	fWakeHook.store(hook);
}

} // namespace BPrivate
