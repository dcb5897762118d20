#ifndef PSD_DESCRIPTOR_H
#define PSD_DESCRIPTOR_H

#include <SupportDefs.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Photoshop's action descriptors, as many additional layer information blocks
// store them. Keys, class IDs, enum IDs, units and value types are kept as
// written: four-character codes ("Clr ", "#Pxl") or long names ("redFloat").
// Unicode strings are held as UTF-8, without the trailing NUL files often add.

class PSDDescriptor;

// One step of an 'obj ' reference.
struct PSDReferenceItem {
	std::string form; // 'prop', 'Clss', 'Enmr', 'rele', 'Idnt', 'indx' or 'name'
	std::string name; // the class's name; for 'name' the name referred to
	std::string classID;
	std::string key;    // 'prop': the key; 'Enmr': the enum type
	std::string enumID; // 'Enmr'
	int32 index = 0;    // 'rele': the offset; 'Idnt', 'indx'
};

class PSDDescriptorValue {
public:
	PSDDescriptorValue();
	~PSDDescriptorValue();
	PSDDescriptorValue(PSDDescriptorValue&&) noexcept;
	PSDDescriptorValue& operator=(PSDDescriptorValue&&) noexcept;

	// Readings that never fail: the fallback (or null, or empty) when the
	// value is of another type. Numbers that are not finite count as absent.
	double AsNumber(double fallback) const; // 'doub', 'UntF', 'long', 'comp'
	bool AsBool(bool fallback) const;
	std::string AsString(const std::string& fallback = std::string()) const; // 'TEXT'
	std::string AsEnum(const std::string& fallback = std::string()) const;   // the enum ID
	const PSDDescriptor* AsDescriptor() const; // 'Objc', 'GlbO', 'ObAr'

	std::string type; // the OSType as written: "doub", "Objc", "VlLs", ...

	double number = 0;           // 'doub', 'UntF'
	int64 integer = 0;           // 'long', 'comp', 'bool', 'ObAr' (its item count)
	std::string unit;            // 'UntF', 'UnFl': "#Pxl", "#Prc", "#Ang", ...
	std::string text;            // 'TEXT'; 'type' and 'GlbC': the class name
	std::string id;              // 'enum': the enum ID; 'type' and 'GlbC': the class ID
	std::string enumType;        // 'enum'
	std::vector<double> numbers; // 'UnFl'
	std::vector<uint8> data;     // 'alis', 'tdta'
	std::unique_ptr<PSDDescriptor> descriptor; // 'Objc', 'GlbO', 'ObAr'
	std::vector<PSDDescriptorValue> list;      // 'VlLs'
	std::vector<PSDReferenceItem> reference;   // 'obj '
};

struct PSDDescriptorItem {
	std::string key;
	PSDDescriptorValue value;
};

class PSDDescriptor {
public:
	// The first item with this key, or null.
	const PSDDescriptorValue* Find(std::string_view key) const;
	// Walks nested descriptors: FindPath({"Grad", "Clrs"}); null where a step is missing.
	const PSDDescriptorValue* FindPath(std::initializer_list<std::string_view> keys) const;

	double Number(std::string_view key, double fallback) const;
	std::string Unit(std::string_view key) const; // empty unless a unit value
	bool Bool(std::string_view key, bool fallback) const;
	std::string String(std::string_view key, const std::string& fallback = std::string()) const;
	std::string Enum(std::string_view key, const std::string& fallback = std::string()) const;
	const PSDDescriptor* Child(std::string_view key) const;
	// Empty unless a 'VlLs'.
	const std::vector<PSDDescriptorValue>& List(std::string_view key) const;

	std::string className; // UTF-8
	std::string classID;
	std::vector<PSDDescriptorItem> items; // in file order
};

// How deep descriptors may nest (objects and lists in one another) and how
// many values one may hold in all: a value takes about 300 bytes held, 5 in
// the file.
struct PSDDescriptorLimits {
	int depth = 32;
	size_t values = 1 << 16;
};

// A bare descriptor at the start of data. The parse fails (false) on any
// value type it does not know, on data that ends early, on nesting deeper
// and on more values than the limits allow. Nothing is sized from a count in
// the file: what is held grows with what is read. `consumed` (optional)
// receives the descriptor's size in bytes.
bool psdParseDescriptor(const uint8* data, size_t size, PSDDescriptor* descriptor,
                        size_t* consumed = nullptr,
                        const PSDDescriptorLimits& limits = PSDDescriptorLimits());
// The form most blocks use: a 4-byte descriptor version, 16, then the descriptor
// (SoCo, GdFl, PtFl, CgEd, blwh, vstk; vogk, lfx2, lmfx after their own version).
bool psdParseVersionedDescriptor(const uint8* data, size_t size, PSDDescriptor* descriptor,
                                 size_t* consumed = nullptr,
                                 const PSDDescriptorLimits& limits = PSDDescriptorLimits());

#endif
