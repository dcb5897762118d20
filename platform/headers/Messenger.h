#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <SupportDefs.h>

#include <memory>

class BHandler;
class BLooper;
class BMessage;

namespace BPrivate {
class ReplyTarget;
}

#define B_INFINITE_TIMEOUT (9223372036854775807LL)

// An address of a handler in a looper. It stays safe to use after either is
// gone: sending then fails with B_BAD_PORT_ID (looper gone) or
// B_BAD_HANDLER (handler gone or moved to another looper).
class BMessenger {
public:
	BMessenger();
	// With a handler the looper is the handler's; a handler that belongs to
	// no looper, or to another looper than the one given, gives an invalid
	// messenger (B_MISMATCHED_VALUES in result).
	BMessenger(const BHandler* handler, const BLooper* looper = nullptr,
	           status_t* result = nullptr);
	BMessenger(const BMessenger& other);
	~BMessenger();

	BMessenger& operator=(const BMessenger& other);
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	bool IsValid() const;
	BHandler* Target(BLooper** looper) const;

	status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = nullptr,
	                     bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	// Waits for the reply; B_NO_REPLY arrives when the message is dropped
	// unanswered (also when its looper quits first).
	status_t SendMessage(uint32 command, BMessage* reply) const;
	status_t SendMessage(BMessage* message, BMessage* reply,
	                     bigtime_t deliveryTimeout = B_INFINITE_TIMEOUT,
	                     bigtime_t replyTimeout = B_INFINITE_TIMEOUT) const;

private:
	status_t _Send(BMessage* message, std::shared_ptr<BPrivate::ReplyTarget> replyTarget) const;

	int32 fHandlerToken; // B_PREFERRED_TOKEN: the looper itself
	int32 fLooperToken;
};

#endif
