#ifndef _INVOKER_H
#define _INVOKER_H

#include <Messenger.h>

class BHandler;
class BLooper;
class BMessage;

// Something that sends a message of its own to a target when invoked.
class BInvoker {
public:
	BInvoker();
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();

	// Takes ownership of the message.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const;
	uint32 Command() const;

	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
	virtual status_t SetTarget(BMessenger messenger);
	BHandler* Target(BLooper** looper = nullptr) const;
	BMessenger Messenger() const;

	// Sends a copy of the message (or of the one given) to the target.
	virtual status_t Invoke(BMessage* message = nullptr);

private:
	BMessage* fMessage;
	BMessenger fMessenger;

	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;
};

#endif
