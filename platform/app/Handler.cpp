#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "HandlerRegistry.h"

BHandler::BHandler(const char* name)
    : fToken(BPrivate::register_handler(this)), fName(name != nullptr ? name : ""),
      fLooper(nullptr), fNextHandler(nullptr)
{
}

BHandler::~BHandler()
{
	if (fLooper != nullptr && fLooper != this)
		fLooper->RemoveHandler(this);
	BPrivate::unregister_handler(fToken);
}

void BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != nullptr)
		fNextHandler->MessageReceived(message);
}

BLooper* BHandler::Looper() const
{
	return fLooper;
}

const char* BHandler::Name() const
{
	return fName.c_str();
}

void BHandler::SetName(const char* name)
{
	fName = name != nullptr ? name : "";
}

void BHandler::SetNextHandler(BHandler* handler)
{
	fNextHandler = handler;
}

BHandler* BHandler::NextHandler() const
{
	return fNextHandler;
}
