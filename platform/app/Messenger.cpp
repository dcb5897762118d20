#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "HandlerRegistry.h"
#include "MessageQueue.h"
#include "ReplyTarget.h"

BMessenger::BMessenger()
    : fHandlerToken(BPrivate::B_NULL_TOKEN), fLooperToken(BPrivate::B_NULL_TOKEN)
{
}

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
    : BMessenger()
{
	status_t status = B_BAD_VALUE;
	if (handler != nullptr) {
		std::lock_guard<std::mutex> guard(BPrivate::handler_registry_lock());
		BLooper* owner;
		if (BPrivate::lookup_handler(handler->fToken, &owner) != nullptr && owner != nullptr &&
		    (looper == nullptr || looper == owner)) {
			fHandlerToken = handler->fToken;
			fLooperToken = owner->fToken;
			status = B_OK;
		} else {
			status = B_MISMATCHED_VALUES;
		}
	} else if (looper != nullptr) {
		fHandlerToken = BPrivate::B_PREFERRED_TOKEN;
		fLooperToken = looper->fToken;
		status = B_OK;
	}
	if (result != nullptr)
		*result = status;
}

BMessenger::BMessenger(const BMessenger& other)
    : fHandlerToken(other.fHandlerToken), fLooperToken(other.fLooperToken)
{
}

BMessenger::~BMessenger() {}

BMessenger& BMessenger::operator=(const BMessenger& other)
{
	fHandlerToken = other.fHandlerToken;
	fLooperToken = other.fLooperToken;
	return *this;
}

bool BMessenger::operator==(const BMessenger& other) const
{
	return fHandlerToken == other.fHandlerToken && fLooperToken == other.fLooperToken;
}

bool BMessenger::IsValid() const
{
	return Target(nullptr) != nullptr;
}

BHandler* BMessenger::Target(BLooper** looper) const
{
	std::lock_guard<std::mutex> guard(BPrivate::handler_registry_lock());
	BLooper* owner = nullptr;
	BHandler* target = nullptr;
	if (BPrivate::lookup_handler(fLooperToken, &owner) != nullptr && owner != nullptr) {
		if (fHandlerToken == BPrivate::B_PREFERRED_TOKEN) {
			target = owner;
		} else {
			BLooper* handlerOwner;
			target = BPrivate::lookup_handler(fHandlerToken, &handlerOwner);
			if (handlerOwner != owner)
				target = nullptr;
		}
	}
	if (looper != nullptr)
		*looper = target != nullptr ? owner : nullptr;
	return target;
}

status_t BMessenger::_Send(BMessage* message,
                           std::shared_ptr<BPrivate::ReplyTarget> replyTarget) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	BMessage* copy = new BMessage(*message);
	copy->fReplyTarget = std::move(replyTarget);
	{
		// The looper unregisters before it drops its queue, so the queue is
		// alive for as long as this lock finds the looper.
		std::lock_guard<std::mutex> guard(BPrivate::handler_registry_lock());
		BLooper* owner = nullptr;
		status_t status = B_BAD_PORT_ID;
		if (BPrivate::lookup_handler(fLooperToken, &owner) != nullptr && owner != nullptr) {
			BLooper* handlerOwner = owner;
			if (fHandlerToken != BPrivate::B_PREFERRED_TOKEN)
				BPrivate::lookup_handler(fHandlerToken, &handlerOwner);
			status = handlerOwner == owner ? B_OK : B_BAD_HANDLER;
		}
		if (status == B_OK) {
			owner->Queue()->Push(BPrivate::Envelope{copy, fHandlerToken});
			return B_OK;
		}
		copy->fReplyTarget = nullptr;
		delete copy;
		return status;
	}
}

status_t BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t) const
{
	std::shared_ptr<BPrivate::ReplyTarget> replyTarget;
	if (replyTo != nullptr)
		replyTarget = std::make_shared<BPrivate::ReplyTarget>(BMessenger(replyTo));
	return _Send(message, replyTarget);
}

status_t BMessenger::SendMessage(uint32 command, BMessage* reply) const
{
	BMessage message(command);
	return SendMessage(&message, reply);
}

status_t BMessenger::SendMessage(BMessage* message, BMessage* reply, bigtime_t,
                                 bigtime_t replyTimeout) const
{
	if (reply == nullptr)
		return B_BAD_VALUE;
	auto replyTarget = std::make_shared<BPrivate::ReplyTarget>();
	status_t status = _Send(message, replyTarget);
	if (status != B_OK)
		return status;
	return replyTarget->Wait(reply, replyTimeout);
}
