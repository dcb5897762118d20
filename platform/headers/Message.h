#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include <memory>
#include <string>
#include <vector>

class BHandler;
class BLooper;
class BMessenger;

namespace BPrivate {
class ReplyTarget;
}

// A message: a code and named, typed fields. Each name holds one type.
class BMessage {
public:
	uint32 what;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();

	BMessage& operator=(const BMessage& other);

	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes);
	status_t FindData(const char* name, type_code type, int32 index, const void** data,
	                  ssize_t* numBytes) const;
	status_t RemoveName(const char* name);
	status_t MakeEmpty();
	bool IsEmpty() const;
	int32 CountNames(type_code type) const;
	bool HasData(const char* name, type_code type, int32 index = 0) const;

	status_t AddBool(const char* name, bool value);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddFloat(const char* name, float value);
	status_t AddPoint(const char* name, BPoint value);
	status_t AddString(const char* name, const char* value);

	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindPoint(const char* name, BPoint* value) const;
	status_t FindString(const char* name, const char** value) const;

	bool HasBool(const char* name, int32 index = 0) const;
	bool HasInt8(const char* name, int32 index = 0) const;
	bool HasInt32(const char* name, int32 index = 0) const;

	// Replies go to whoever sent the message through a messenger or looper;
	// a sender that waits gets B_NO_REPLY if the message is deleted
	// unanswered. Copies of a message carry no return address.
	status_t SendReply(BMessage* reply);
	status_t SendReply(uint32 command);
	bool IsSourceWaiting() const;

private:
	friend class BLooper;
	friend class BMessenger;

	struct Field {
		std::string name;
		type_code type;
		std::vector<std::vector<uint8>> items;
	};

	const Field* _Find(const char* name) const;

	std::vector<Field> fFields;
	std::shared_ptr<BPrivate::ReplyTarget> fReplyTarget;
};

#endif
