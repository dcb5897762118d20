#ifndef BIG_ENDIAN_BYTES_H
#define BIG_ENDIAN_BYTES_H

// Big-endian file bytes written field by field: numbers, and the IDs,
// strings and items of action descriptors.

#include <SupportDefs.h>

#include <cstring>
#include <string>
#include <vector>

struct BigEndianBytes {
	std::vector<uint8> data;

	BigEndianBytes& U8(uint8 v)
	{
		data.push_back(v);
		return *this;
	}
	BigEndianBytes& U16(int v) { return U8((uint8)(v >> 8)).U8((uint8)v); }
	BigEndianBytes& U32(uint32 v)
	{
		for (int shift = 24; shift >= 0; shift -= 8)
			data.push_back((uint8)(v >> shift));
		return *this;
	}
	BigEndianBytes& F32(float v)
	{
		uint32 bits;
		memcpy(&bits, &v, 4);
		return U32(bits);
	}
	BigEndianBytes& Double(double v)
	{
		uint64 bits;
		memcpy(&bits, &v, 8);
		return U32((uint32)(bits >> 32)).U32((uint32)bits);
	}
	BigEndianBytes& Code(const char* code)
	{
		data.insert(data.end(), code, code + 4);
		return *this;
	}
	BigEndianBytes& ID(const std::string& id)
	{
		if (id.size() == 4)
			return U32(0).Code(id.c_str());
		U32((uint32)id.size());
		data.insert(data.end(), id.begin(), id.end());
		return *this;
	}
	BigEndianBytes& Unicode(const std::u16string& text)
	{
		U32((uint32)text.size() + 1);
		for (char16_t c : text)
			U16(c);
		return U16(0);
	}
	// A descriptor's class name (empty), class ID and item count.
	BigEndianBytes& Head(const std::string& classID, uint32 count)
	{
		return Unicode(u"").ID(classID).U32(count);
	}
	BigEndianBytes& Item(const std::string& key, const char* type) { return ID(key).Code(type); }
};

#endif
