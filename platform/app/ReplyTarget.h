#ifndef _REPLY_TARGET_H
#define _REPLY_TARGET_H

#include <Message.h>
#include <Messenger.h>

#include <condition_variable>
#include <mutex>

namespace BPrivate {

// Where the reply to one sent message goes: a thread waiting in
// BMessenger::SendMessage, or a handler given as replyTo.
class ReplyTarget {
public:
	ReplyTarget();
	explicit ReplyTarget(const BMessenger& replyTo);

	// The first reply counts; later ones get B_DUPLICATE_REPLY.
	status_t Deliver(const BMessage& reply);
	// The message is gone unanswered: a waiting sender gets B_NO_REPLY.
	void Abandon();
	bool IsSourceWaiting() const { return fWaiting; }
	status_t Wait(BMessage* reply, bigtime_t timeout);

private:
	std::mutex fLock;
	std::condition_variable fReplied;
	bool fWaiting;
	bool fDone;
	BMessage fReply;
	BMessenger fReplyTo;
};

} // namespace BPrivate

#endif
