#ifndef _LOOPER_H
#define _LOOPER_H

#include <Handler.h>
#include <Locker.h>

#include <memory>
#include <thread>
#include <vector>

namespace BPrivate {
class MessageQueue;
struct LooperExit;
} // namespace BPrivate

// A handler with a thread and a message queue. A new looper is locked by the
// thread that made it; Run starts the thread and releases that lock. Messages
// are dispatched one at a time with the looper locked.
class BLooper : public BHandler {
public:
	BLooper(const char* name = nullptr);
	virtual ~BLooper();

	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message, BHandler* handler = nullptr,
	                     BHandler* replyTo = nullptr);

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	BMessage* CurrentMessage() const;

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;

	virtual thread_id Run();
	// From the looper's own thread the loop ends after the current message
	// and the looper deletes itself there; from another thread (holding the
	// lock) Quit waits until that has happened. A looper that never ran is
	// deleted at once.
	virtual void Quit();
	virtual bool QuitRequested();

	bool Lock();
	void Unlock();
	bool IsLocked() const;
	thread_id Thread() const;

protected:
	// Waits for and dispatches messages until the looper quits; used by the
	// looper's own thread and by BApplication::Run on the calling thread.
	void Loop();
	// Dispatches the next message, waiting for one if asked to; false when
	// none was there. The looper stays locked once it is quitting.
	bool DispatchNextMessage(bool wait);
	bool IsQuitting() const { return fTerminating; }
	bool IsOnLooperThread() const;
	// For a loop run on the calling thread instead of the looper's own.
	void AdoptCurrentThread();
	BPrivate::MessageQueue* Queue() const { return fQueue.get(); }

private:
	friend class BMessenger;

	void _Dispatch(BMessage* message, int32 handlerToken);
	static void _ThreadMain(BLooper* looper, std::shared_ptr<BPrivate::LooperExit> exit);

	BLocker fLock;
	std::unique_ptr<BPrivate::MessageQueue> fQueue;
	std::vector<BHandler*> fHandlers;
	BMessage* fCurrentMessage;
	bool fTerminating;
	bool fRunning;
	thread_id fThread;
	std::thread::id fThreadId;
	std::shared_ptr<BPrivate::LooperExit> fExit;
};

#endif
