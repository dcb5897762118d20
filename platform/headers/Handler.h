#ifndef _HANDLER_H
#define _HANDLER_H

#include <SupportDefs.h>

#include <string>

class BLooper;
class BMessage;

// Something that messages can be addressed to. A handler belongs to at most
// one looper; messages for it are handled on that looper's thread.
class BHandler {
public:
	BHandler(const char* name = nullptr);
	virtual ~BHandler();

	// Unhandled messages go on to the next handler; the last one drops them
	// (a waiting sender then gets B_NO_REPLY).
	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const;
	const char* Name() const;
	void SetName(const char* name);

	void SetNextHandler(BHandler* handler);
	BHandler* NextHandler() const;

private:
	friend class BLooper;
	friend class BMessenger;

	int32 fToken;
	std::string fName;
	BLooper* fLooper;
	BHandler* fNextHandler;

	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;
};

#endif
