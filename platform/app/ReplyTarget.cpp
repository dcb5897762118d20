#include "ReplyTarget.h"

#include <AppDefs.h>

#include <chrono>

namespace BPrivate {

ReplyTarget::ReplyTarget() : fWaiting(true), fDone(false) {}

ReplyTarget::ReplyTarget(const BMessenger& replyTo)
    : fWaiting(false), fDone(false), fReplyTo(replyTo)
{
}

status_t ReplyTarget::Deliver(const BMessage& reply)
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (fDone)
			return B_DUPLICATE_REPLY;
		fDone = true;
		if (fWaiting) {
			fReply = reply;
			fReplied.notify_all();
			return B_OK;
		}
	}
	BMessage copy(reply);
	return fReplyTo.SendMessage(&copy);
}

void ReplyTarget::Abandon()
{
	if (!fWaiting)
		return;
	std::lock_guard<std::mutex> guard(fLock);
	if (fDone)
		return;
	fDone = true;
	fReply = BMessage(B_NO_REPLY);
	fReplied.notify_all();
}

status_t ReplyTarget::Wait(BMessage* reply, bigtime_t timeout)
{
	std::unique_lock<std::mutex> guard(fLock);
	if (timeout == B_INFINITE_TIMEOUT) {
		fReplied.wait(guard, [this] { return fDone; });
	} else if (!fReplied.wait_for(guard, std::chrono::microseconds(timeout),
	                              [this] { return fDone; })) {
		return B_TIMED_OUT;
	}
	*reply = fReply;
	return B_OK;
}

} // namespace BPrivate
