#include <Message.h>

#include "ReplyTarget.h"

#include <cstring>

BMessage::BMessage() : what(0) {}
BMessage::BMessage(uint32 code) : what(code) {}
BMessage::BMessage(const BMessage& other) : what(other.what), fFields(other.fFields) {}
BMessage::~BMessage()
{
	if (fReplyTarget != nullptr)
		fReplyTarget->Abandon();
}

BMessage& BMessage::operator=(const BMessage& other)
{
	what = other.what;
	fFields = other.fFields;
	return *this;
}

const BMessage::Field* BMessage::_Find(const char* name) const
{
	if (name == nullptr)
		return nullptr;
	for (const Field& field : fFields) {
		if (field.name == name)
			return &field;
	}
	return nullptr;
}

status_t BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	if (name == nullptr || data == nullptr || numBytes < 0)
		return B_BAD_VALUE;
	Field* field = const_cast<Field*>(_Find(name));
	if (field == nullptr) {
		fFields.push_back(Field{name, type, {}});
		field = &fFields.back();
	} else if (field->type != type) {
		return B_BAD_TYPE;
	}
	const uint8* bytes = (const uint8*)data;
	field->items.emplace_back(bytes, bytes + numBytes);
	return B_OK;
}

status_t BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
                            ssize_t* numBytes) const
{
	const Field* field = _Find(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || (size_t)index >= field->items.size())
		return B_BAD_INDEX;
	if (data != nullptr)
		*data = field->items[index].data();
	if (numBytes != nullptr)
		*numBytes = (ssize_t)field->items[index].size();
	return B_OK;
}

status_t BMessage::RemoveName(const char* name)
{
	for (auto it = fFields.begin(); it != fFields.end(); ++it) {
		if (name != nullptr && it->name == name) {
			fFields.erase(it);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}

bool BMessage::IsEmpty() const
{
	return fFields.empty();
}

int32 BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const Field& field : fFields) {
		if (type == B_ANY_TYPE || field.type == type)
			count++;
	}
	return count;
}

bool BMessage::HasData(const char* name, type_code type, int32 index) const
{
	return FindData(name, type, index, nullptr, nullptr) == B_OK;
}

// Typed fields: fixed-size values stored as their bytes.
template <typename T>
static status_t find_value(const BMessage& message, const char* name, type_code type, int32 index,
                           T* value)
{
	const void* data;
	ssize_t size;
	status_t status = message.FindData(name, type, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size != (ssize_t)sizeof(T))
		return B_BAD_VALUE;
	if (value != nullptr)
		memcpy(value, data, sizeof(T));
	return B_OK;
}

status_t BMessage::AddBool(const char* name, bool value)
{
	return AddData(name, B_BOOL_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt8(const char* name, int8 value)
{
	return AddData(name, B_INT8_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt32(const char* name, int32 value)
{
	return AddData(name, B_INT32_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt64(const char* name, int64 value)
{
	return AddData(name, B_INT64_TYPE, &value, sizeof(value));
}

status_t BMessage::AddFloat(const char* name, float value)
{
	return AddData(name, B_FLOAT_TYPE, &value, sizeof(value));
}

status_t BMessage::AddPoint(const char* name, BPoint value)
{
	return AddData(name, B_POINT_TYPE, &value, sizeof(value));
}

status_t BMessage::AddString(const char* name, const char* value)
{
	if (value == nullptr)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, value, (ssize_t)strlen(value) + 1);
}

status_t BMessage::FindBool(const char* name, bool* value) const
{
	return find_value(*this, name, B_BOOL_TYPE, 0, value);
}

status_t BMessage::FindBool(const char* name, int32 index, bool* value) const
{
	return find_value(*this, name, B_BOOL_TYPE, index, value);
}

status_t BMessage::FindInt8(const char* name, int8* value) const
{
	return find_value(*this, name, B_INT8_TYPE, 0, value);
}

status_t BMessage::FindInt8(const char* name, int32 index, int8* value) const
{
	return find_value(*this, name, B_INT8_TYPE, index, value);
}

status_t BMessage::FindInt64(const char* name, int64* value) const
{
	return find_value(*this, name, B_INT64_TYPE, 0, value);
}

status_t BMessage::FindInt32(const char* name, int32* value) const
{
	return find_value(*this, name, B_INT32_TYPE, 0, value);
}

status_t BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return find_value(*this, name, B_INT32_TYPE, index, value);
}

status_t BMessage::FindFloat(const char* name, float* value) const
{
	return find_value(*this, name, B_FLOAT_TYPE, 0, value);
}

status_t BMessage::FindPoint(const char* name, BPoint* value) const
{
	return find_value(*this, name, B_POINT_TYPE, 0, value);
}

status_t BMessage::FindString(const char* name, const char** value) const
{
	const void* data;
	ssize_t size;
	status_t status = FindData(name, B_STRING_TYPE, 0, &data, &size);
	if (status != B_OK)
		return status;
	if (value != nullptr)
		*value = (const char*)data;
	return B_OK;
}

bool BMessage::HasBool(const char* name, int32 index) const
{
	return HasData(name, B_BOOL_TYPE, index);
}

bool BMessage::HasInt8(const char* name, int32 index) const
{
	return HasData(name, B_INT8_TYPE, index);
}

bool BMessage::HasInt32(const char* name, int32 index) const
{
	return HasData(name, B_INT32_TYPE, index);
}

status_t BMessage::SendReply(BMessage* reply)
{
	if (reply == nullptr)
		return B_BAD_VALUE;
	if (fReplyTarget == nullptr)
		return B_BAD_REPLY;
	return fReplyTarget->Deliver(*reply);
}

status_t BMessage::SendReply(uint32 command)
{
	BMessage reply(command);
	return SendReply(&reply);
}

bool BMessage::IsSourceWaiting() const
{
	return fReplyTarget != nullptr && fReplyTarget->IsSourceWaiting();
}
