#ifndef TESTS_DESCRIPTOR_WRITER_H
#define TESTS_DESCRIPTOR_WRITER_H

// Photoshop action descriptors as bytes, written field by field, for tests,
// fuzz seeds and benchmarks: big-endian counts, IDs (four-character codes or
// long names), UTF-16 text, doubles.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace psdtest {

struct DescriptorBytes {
	std::vector<uint8_t> data;

	DescriptorBytes& U8(uint8_t v)
	{
		data.push_back(v);
		return *this;
	}
	DescriptorBytes& U16(int v) { return U8((uint8_t)(v >> 8)).U8((uint8_t)v); }
	DescriptorBytes& F32(float v)
	{
		uint32_t bits;
		memcpy(&bits, &v, 4);
		return U32(bits);
	}
	DescriptorBytes& U32(uint32_t v)
	{
		for (int shift = 24; shift >= 0; shift -= 8)
			data.push_back((uint8_t)(v >> shift));
		return *this;
	}
	DescriptorBytes& Code(const char* code)
	{
		data.insert(data.end(), code, code + 4);
		return *this;
	}
	DescriptorBytes& ID(const std::string& id)
	{
		if (id.size() == 4)
			return U32(0).Code(id.c_str());
		U32((uint32_t)id.size());
		data.insert(data.end(), id.begin(), id.end());
		return *this;
	}
	DescriptorBytes& Unicode(const std::u16string& text)
	{
		U32((uint32_t)text.size() + 1);
		for (char16_t c : text) {
			data.push_back((uint8_t)(c >> 8));
			data.push_back((uint8_t)c);
		}
		data.push_back(0);
		data.push_back(0);
		return *this;
	}
	DescriptorBytes& Double(double v)
	{
		uint64_t bits;
		memcpy(&bits, &v, 8);
		return U32((uint32_t)(bits >> 32)).U32((uint32_t)bits);
	}
	// A descriptor's class and the count of its items.
	DescriptorBytes& Head(const std::string& classID, uint32_t count)
	{
		return Unicode(u"").ID(classID).U32(count);
	}
	DescriptorBytes& Item(const std::string& key, const char* type) { return ID(key).Code(type); }

	// Whole items of the common types.
	DescriptorBytes& Number(const std::string& key, double v)
	{
		return Item(key, "doub").Double(v);
	}
	DescriptorBytes& Unit(const std::string& key, const char* unit, double v)
	{
		return Item(key, "UntF").Code(unit).Double(v);
	}
	DescriptorBytes& Bool(const std::string& key, bool v)
	{
		Item(key, "bool").data.push_back(v ? 1 : 0);
		return *this;
	}
	DescriptorBytes& Enum(const std::string& key, const std::string& type, const std::string& id)
	{
		return Item(key, "enum").ID(type).ID(id);
	}
	DescriptorBytes& Text(const std::string& key, const std::u16string& text)
	{
		return Item(key, "TEXT").Unicode(text);
	}
	// An 'Objc' item: its class and item count; the items follow.
	DescriptorBytes& Object(const std::string& key, const std::string& classID, uint32_t count)
	{
		return Item(key, "Objc").Head(classID, count);
	}
	// An RGB colour ('RGBC', 0 to 255) as an 'Objc' item.
	DescriptorBytes& RGB(const std::string& key, double r, double g, double b)
	{
		return Object(key, "RGBC", 3).Number("Rd  ", r).Number("Grn ", g).Number("Bl  ", b);
	}

	// The form of most blocks: the descriptor version (16) in front.
	std::vector<uint8_t> Versioned() const
	{
		std::vector<uint8_t> out = {0, 0, 0, 16};
		out.insert(out.end(), data.begin(), data.end());
		return out;
	}
	// The form of 'lfx2' and 'lmfx': a version of the effects (0) in front of that.
	std::vector<uint8_t> Effects() const
	{
		std::vector<uint8_t> out = {0, 0, 0, 0};
		const std::vector<uint8_t> versioned = Versioned();
		out.insert(out.end(), versioned.begin(), versioned.end());
		return out;
	}
};

} // namespace psdtest

#endif
