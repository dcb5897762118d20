#include <AppDefs.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "HandlerRegistry.h"
#include "LooperExit.h"
#include "MessageQueue.h"
#include "ReplyTarget.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<thread_id> gNextThreadId(1);
}

BLooper::BLooper(const char* name)
    : BHandler(name), fLock(name), fQueue(new BPrivate::MessageQueue), fCurrentMessage(nullptr),
      fTerminating(false), fRunning(false), fThread(-1)
{
	fLooper = this;
	fHandlers.push_back(this);
	BPrivate::set_handler_looper(fToken, this);
	fLock.Lock();
}

BLooper::~BLooper()
{
	// Unregistered first: from here on no messenger can reach the queue.
	BPrivate::unregister_handler(fToken);
	fQueue->Clear();
	for (BHandler* handler : fHandlers) {
		if (handler != this) {
			handler->fLooper = nullptr;
			BPrivate::set_handler_looper(handler->fToken, nullptr);
		}
	}
	fHandlers.clear();
	fLooper = nullptr;
	while (fLock.IsLocked())
		fLock.Unlock();
}

status_t BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	int32 token = BPrivate::B_PREFERRED_TOKEN;
	if (handler != nullptr) {
		if (handler->Looper() != this)
			return B_MISMATCHED_VALUES;
		token = handler->fToken;
	}
	BMessage* copy = new BMessage(*message);
	if (replyTo != nullptr)
		copy->fReplyTarget = std::make_shared<BPrivate::ReplyTarget>(BMessenger(replyTo));
	fQueue->Push(BPrivate::Envelope{copy, token});
	return B_OK;
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		bool quit = QuitRequested();
		if (message->IsSourceWaiting()) {
			BMessage reply(B_REPLY);
			reply.AddBool("result", quit);
			message->SendReply(&reply);
		}
		if (quit)
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

BMessage* BLooper::CurrentMessage() const
{
	return fCurrentMessage;
}

void BLooper::AddHandler(BHandler* handler)
{
	if (handler == nullptr || handler->fLooper == this)
		return;
	if (handler->fLooper != nullptr)
		handler->fLooper->RemoveHandler(handler);
	handler->fLooper = this;
	BPrivate::set_handler_looper(handler->fToken, this);
	fHandlers.push_back(handler);
}

bool BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == nullptr || handler == this || handler->fLooper != this)
		return false;
	fHandlers.erase(std::remove(fHandlers.begin(), fHandlers.end(), handler), fHandlers.end());
	handler->fLooper = nullptr;
	BPrivate::set_handler_looper(handler->fToken, nullptr);
	return true;
}

int32 BLooper::CountHandlers() const
{
	return (int32)fHandlers.size();
}

thread_id BLooper::Run()
{
	if (fRunning)
		return B_BAD_VALUE;
	fRunning = true;
	fThread = gNextThreadId++;
	fExit = std::make_shared<BPrivate::LooperExit>();
	std::thread thread(_ThreadMain, this, fExit);
	fThreadId = thread.get_id();
	thread.detach();
	// Once unlocked, the looper may run, quit and delete itself at once.
	thread_id id = fThread;
	Unlock();
	return id;
}

void BLooper::_ThreadMain(BLooper* looper, std::shared_ptr<BPrivate::LooperExit> exit)
{
	// The thread id is written by Run under the lock; take it before the
	// first message so that the thread sees it.
	looper->Lock();
	looper->Unlock();
	looper->Loop();
	delete looper;
	exit->Signal();
}

void BLooper::Loop()
{
	while (!fTerminating)
		DispatchNextMessage(true);
}

bool BLooper::DispatchNextMessage(bool wait)
{
	BPrivate::Envelope envelope;
	if (!fQueue->Pop(&envelope, wait))
		return false;
	Lock();
	if (envelope.message->what == BPrivate::B_QUIT_LOOPER)
		fTerminating = true;
	else
		_Dispatch(envelope.message, envelope.handlerToken);
	delete envelope.message;
	if (!fTerminating)
		Unlock();
	return true;
}

void BLooper::_Dispatch(BMessage* message, int32 handlerToken)
{
	BHandler* handler = this;
	if (handlerToken != BPrivate::B_PREFERRED_TOKEN) {
		std::lock_guard<std::mutex> guard(BPrivate::handler_registry_lock());
		BLooper* owner;
		handler = BPrivate::lookup_handler(handlerToken, &owner);
		if (owner != this)
			handler = nullptr;
	}
	if (handler == nullptr)
		return;
	BMessage* previous = fCurrentMessage;
	fCurrentMessage = message;
	DispatchMessage(message, handler);
	fCurrentMessage = previous;
}

void BLooper::Quit()
{
	if (!fRunning) {
		delete this;
		return;
	}
	if (IsOnLooperThread()) {
		fTerminating = true;
		return;
	}
	std::shared_ptr<BPrivate::LooperExit> exit = fExit;
	int32 locks = fLock.CountLocks();
	fQueue->Push(
	    BPrivate::Envelope{new BMessage(BPrivate::B_QUIT_LOOPER), BPrivate::B_PREFERRED_TOKEN});
	// The last unlock lets the thread delete the looper: touch nothing after.
	while (locks-- > 0)
		fLock.Unlock();
	exit->Wait();
}

bool BLooper::QuitRequested()
{
	return true;
}

bool BLooper::Lock()
{
	return fLock.Lock();
}

void BLooper::Unlock()
{
	fLock.Unlock();
}

bool BLooper::IsLocked() const
{
	return fLock.IsLocked();
}

thread_id BLooper::Thread() const
{
	return fThread;
}

void BLooper::AdoptCurrentThread()
{
	fRunning = true;
	fThread = gNextThreadId++;
	fThreadId = std::this_thread::get_id();
}

bool BLooper::IsOnLooperThread() const
{
	return fRunning && std::this_thread::get_id() == fThreadId;
}
