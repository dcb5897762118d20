#include "PSDDescriptor.h"

#include <cmath>
#include <cstring>

PSDDescriptorValue::PSDDescriptorValue() = default;
PSDDescriptorValue::~PSDDescriptorValue() = default;
PSDDescriptorValue::PSDDescriptorValue(PSDDescriptorValue&&) noexcept = default;
PSDDescriptorValue& PSDDescriptorValue::operator=(PSDDescriptorValue&&) noexcept = default;

double PSDDescriptorValue::AsNumber(double fallback) const
{
	double value;
	if (type == "doub" || type == "UntF")
		value = number;
	else if (type == "long" || type == "comp")
		value = (double)integer;
	else
		return fallback;
	return std::isfinite(value) ? value : fallback;
}

bool PSDDescriptorValue::AsBool(bool fallback) const
{
	return type == "bool" ? integer != 0 : fallback;
}

std::string PSDDescriptorValue::AsString(const std::string& fallback) const
{
	return type == "TEXT" ? text : fallback;
}

std::string PSDDescriptorValue::AsEnum(const std::string& fallback) const
{
	return type == "enum" ? id : fallback;
}

const PSDDescriptor* PSDDescriptorValue::AsDescriptor() const
{
	return descriptor.get();
}

const PSDDescriptorValue* PSDDescriptor::Find(std::string_view key) const
{
	for (const PSDDescriptorItem& item : items) {
		if (item.key == key)
			return &item.value;
	}
	return nullptr;
}

const PSDDescriptorValue*
PSDDescriptor::FindPath(std::initializer_list<std::string_view> keys) const
{
	const PSDDescriptor* descriptor = this;
	const PSDDescriptorValue* value = nullptr;
	for (std::string_view key : keys) {
		if (descriptor == nullptr)
			return nullptr;
		value = descriptor->Find(key);
		if (value == nullptr)
			return nullptr;
		descriptor = value->AsDescriptor();
	}
	return value;
}

double PSDDescriptor::Number(std::string_view key, double fallback) const
{
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->AsNumber(fallback) : fallback;
}

std::string PSDDescriptor::Unit(std::string_view key) const
{
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->unit : std::string();
}

bool PSDDescriptor::Bool(std::string_view key, bool fallback) const
{
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->AsBool(fallback) : fallback;
}

std::string PSDDescriptor::String(std::string_view key, const std::string& fallback) const
{
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->AsString(fallback) : fallback;
}

std::string PSDDescriptor::Enum(std::string_view key, const std::string& fallback) const
{
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->AsEnum(fallback) : fallback;
}

const PSDDescriptor* PSDDescriptor::Child(std::string_view key) const
{
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->AsDescriptor() : nullptr;
}

const std::vector<PSDDescriptorValue>& PSDDescriptor::List(std::string_view key) const
{
	static const std::vector<PSDDescriptorValue> kEmpty;
	const PSDDescriptorValue* value = Find(key);
	return value != nullptr ? value->list : kEmpty;
}

namespace {

// Smallest encodings, so that a count can be checked against the bytes left
// before anything is reserved for it.
const size_t kMinDescriptorItem = 5 + 4 + 1; // key (length 1), type, a 'bool'
const size_t kMinListItem = 4 + 1;
const size_t kMinReferenceItem = 4 + 4; // 'Idnt'

struct DescriptorReader {
	const uint8* data;
	size_t left;
	int depth;
	int maxDepth;
	size_t valuesLeft;

	bool Bytes(void* out, size_t count)
	{
		if (count > left)
			return false;
		if (count > 0)
			memcpy(out, data, count);
		data += count;
		left -= count;
		return true;
	}

	bool U32(uint32* out)
	{
		uint8 b[4];
		if (!Bytes(b, 4))
			return false;
		*out = (uint32)b[0] << 24 | (uint32)b[1] << 16 | (uint32)b[2] << 8 | b[3];
		return true;
	}

	bool I32(int32* out)
	{
		uint32 bits;
		if (!U32(&bits))
			return false;
		*out = (int32)bits;
		return true;
	}

	bool U64(uint64* out)
	{
		uint32 high, low;
		if (!U32(&high) || !U32(&low))
			return false;
		*out = (uint64)high << 32 | low;
		return true;
	}

	bool Double(double* out)
	{
		uint64 bits;
		if (!U64(&bits))
			return false;
		memcpy(out, &bits, sizeof(bits));
		return true;
	}

	bool Code(std::string* out)
	{
		char code[4];
		if (!Bytes(code, 4))
			return false;
		out->assign(code, 4);
		return true;
	}

	// A class ID or key: a length, or 0 and a four-character code.
	bool ID(std::string* out)
	{
		uint32 length;
		if (!U32(&length))
			return false;
		if (length == 0)
			return Code(out);
		if (length > left)
			return false;
		out->assign((const char*)data, length);
		data += length;
		left -= length;
		return true;
	}

	bool Unicode(std::string* out);
	bool Count(uint32* count, size_t minItemSize)
	{
		if (!U32(count))
			return false;
		return *count <= left / minItemSize && *count <= valuesLeft;
	}
	bool Descriptor(PSDDescriptor* descriptor);
	bool Value(const std::string& type, PSDDescriptorValue* value);
	bool Reference(std::vector<PSDReferenceItem>* reference);
	bool Data(std::vector<uint8>* out)
	{
		uint32 length;
		if (!U32(&length) || length > left)
			return false;
		out->assign(data, data + length);
		data += length;
		left -= length;
		return true;
	}
};

void AppendUTF8(std::string* out, uint32 c)
{
	if (c < 0x80) {
		*out += (char)c;
	} else if (c < 0x800) {
		*out += (char)(0xc0 | c >> 6);
		*out += (char)(0x80 | (c & 0x3f));
	} else if (c < 0x10000) {
		*out += (char)(0xe0 | c >> 12);
		*out += (char)(0x80 | (c >> 6 & 0x3f));
		*out += (char)(0x80 | (c & 0x3f));
	} else {
		*out += (char)(0xf0 | c >> 18);
		*out += (char)(0x80 | (c >> 12 & 0x3f));
		*out += (char)(0x80 | (c >> 6 & 0x3f));
		*out += (char)(0x80 | (c & 0x3f));
	}
}

// UTF-16BE with a count of code units; unpaired surrogates become U+FFFD.
bool DescriptorReader::Unicode(std::string* out)
{
	uint32 count;
	if (!U32(&count) || count > left / 2)
		return false;
	const uint8* units = data;
	data += (size_t)count * 2;
	left -= (size_t)count * 2;
	while (count > 0 && units[count * 2 - 2] == 0 && units[count * 2 - 1] == 0)
		count--;
	out->clear();
	out->reserve(count);
	for (uint32 i = 0; i < count; i++) {
		uint32 c = (uint32)units[i * 2] << 8 | units[i * 2 + 1];
		if (c >= 0xd800 && c < 0xdc00 && i + 1 < count) {
			uint32 low = (uint32)units[i * 2 + 2] << 8 | units[i * 2 + 3];
			if (low >= 0xdc00 && low < 0xe000) {
				c = 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
				i++;
			}
		}
		if (c >= 0xd800 && c < 0xe000)
			c = 0xfffd;
		AppendUTF8(out, c);
	}
	return true;
}

bool DescriptorReader::Reference(std::vector<PSDReferenceItem>* reference)
{
	uint32 count;
	if (!Count(&count, kMinReferenceItem))
		return false;
	valuesLeft -= count;
	for (uint32 i = 0; i < count; i++) {
		PSDReferenceItem& item = reference->emplace_back();
		if (!Code(&item.form))
			return false;
		bool ok;
		if (item.form == "Idnt" || item.form == "indx") {
			ok = I32(&item.index);
		} else {
			ok = Unicode(&item.name) && ID(&item.classID);
			if (!ok || item.form == "Clss") {
			} else if (item.form == "prop") {
				ok = ID(&item.key);
			} else if (item.form == "Enmr") {
				ok = ID(&item.key) && ID(&item.enumID);
			} else if (item.form == "rele") {
				ok = I32(&item.index);
			} else if (item.form == "name") {
				ok = Unicode(&item.name);
			} else {
				ok = false;
			}
		}
		if (!ok)
			return false;
	}
	return true;
}

bool DescriptorReader::Value(const std::string& type, PSDDescriptorValue* value)
{
	if (valuesLeft == 0)
		return false;
	valuesLeft--;
	value->type = type;
	if (type == "Objc" || type == "GlbO" || type == "ObAr") {
		if (type == "ObAr") {
			uint32 count;
			if (!U32(&count))
				return false;
			value->integer = count;
		}
		if (depth >= maxDepth)
			return false;
		value->descriptor.reset(new PSDDescriptor);
		depth++;
		bool ok = Descriptor(value->descriptor.get());
		depth--;
		return ok;
	}
	if (type == "VlLs") {
		uint32 count;
		if (!Count(&count, kMinListItem) || depth >= maxDepth)
			return false;
		depth++;
		for (uint32 i = 0; i < count; i++) {
			std::string elementType;
			if (!Code(&elementType) || !Value(elementType, &value->list.emplace_back()))
				return false;
		}
		depth--;
		return true;
	}
	if (type == "doub")
		return Double(&value->number);
	if (type == "UntF")
		return Code(&value->unit) && Double(&value->number);
	if (type == "UnFl") {
		uint32 count;
		if (!Code(&value->unit) || !U32(&count) || count > left / 8)
			return false;
		value->numbers.resize(count);
		for (double& number : value->numbers)
			Double(&number);
		return true;
	}
	if (type == "TEXT")
		return Unicode(&value->text);
	if (type == "enum")
		return ID(&value->enumType) && ID(&value->id);
	if (type == "long") {
		int32 number;
		if (!I32(&number))
			return false;
		value->integer = number;
		return true;
	}
	if (type == "comp") {
		uint64 number;
		if (!U64(&number))
			return false;
		value->integer = (int64)number;
		return true;
	}
	if (type == "bool") {
		uint8 flag;
		if (!Bytes(&flag, 1))
			return false;
		value->integer = flag != 0;
		return true;
	}
	if (type == "type" || type == "GlbC")
		return Unicode(&value->text) && ID(&value->id);
	if (type == "alis" || type == "tdta")
		return Data(&value->data);
	if (type == "obj ")
		return Reference(&value->reference);
	return false;
}

bool DescriptorReader::Descriptor(PSDDescriptor* descriptor)
{
	uint32 count;
	if (!Unicode(&descriptor->className) || !ID(&descriptor->classID) ||
	    !Count(&count, kMinDescriptorItem))
		return false;
	for (uint32 i = 0; i < count; i++) {
		PSDDescriptorItem& item = descriptor->items.emplace_back();
		std::string type;
		if (!ID(&item.key) || !Code(&type) || !Value(type, &item.value))
			return false;
	}
	return true;
}

} // namespace

bool psdParseDescriptor(const uint8* data, size_t size, PSDDescriptor* descriptor, size_t* consumed,
                        const PSDDescriptorLimits& limits)
{
	*descriptor = PSDDescriptor();
	DescriptorReader reader{data, size, 0, limits.depth, limits.values};
	if (!reader.Descriptor(descriptor)) {
		*descriptor = PSDDescriptor();
		return false;
	}
	if (consumed != nullptr)
		*consumed = size - reader.left;
	return true;
}

bool psdParseVersionedDescriptor(const uint8* data, size_t size, PSDDescriptor* descriptor,
                                 size_t* consumed, const PSDDescriptorLimits& limits)
{
	*descriptor = PSDDescriptor();
	if (size < 4 || data[0] != 0 || data[1] != 0 || data[2] != 0 || data[3] != 16)
		return false;
	if (!psdParseDescriptor(data + 4, size - 4, descriptor, consumed, limits))
		return false;
	if (consumed != nullptr)
		*consumed += 4;
	return true;
}
