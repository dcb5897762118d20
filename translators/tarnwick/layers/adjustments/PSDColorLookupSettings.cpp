// A colour lookup's block: a version, then a descriptor whose
// 'LUT3DFileData' holds the bytes of a table file, in the format its
// 'LUTFormat' names. The table may be large, so the block is walked through
// the stream and the table only located. Photoshop writes plain values here
// (enums, texts, flags, data); a block with anything else is not read.

#include "PSDAdjustmentReaders.h"

#include <core/PSDByteReader.h>
#include <core/PSDBytes.h>

#include <string>

namespace {

// Keys and enums longer than this are none of those looked for.
const uint32 kLongestID = 64;
// The smallest item: a four-character key, a type, a flag.
const uint64 kSmallestItem = 4 + 4 + 4 + 1;

// A class ID, key or enum: a length, or 0 and a four-character code. Kept
// when short enough to be one looked for.
bool readID(PSDByteReader& reader, std::string* id)
{
	uint32 length = reader.Big32();
	if (length == 0)
		length = 4;
	id->clear();
	if (length > kLongestID)
		return reader.Skip(length);
	id->resize(length);
	return reader.Read(&(*id)[0], length);
}

bool skipUnicode(PSDByteReader& reader)
{
	const uint32 units = reader.Big32();
	return reader.Skip((uint64)units * 2);
}

// Reads past a value of a plain type; false for any other.
bool skipValue(PSDByteReader& reader, const std::string& type)
{
	std::string id;
	if (type == "enum")
		return readID(reader, &id) && readID(reader, &id);
	if (type == "TEXT")
		return skipUnicode(reader);
	if (type == "type" || type == "GlbC")
		return skipUnicode(reader) && readID(reader, &id);
	if (type == "tdta" || type == "alis")
		return reader.Skip(reader.Big32());
	if (type == "UnFl") {
		reader.Skip(4);
		return reader.Skip((uint64)reader.Big32() * 8);
	}
	const struct {
		const char* type;
		uint64 size;
	} kFixed[] = {{"bool", 1}, {"long", 4}, {"doub", 8}, {"comp", 8}, {"UntF", 12}};
	for (const auto& fixed : kFixed) {
		if (type == fixed.type)
			return reader.Skip(fixed.size);
	}
	return false;
}

} // namespace

std::optional<PSDColorLookupSettings> psdReadColorLookup(BPositionIO* in, const PSDBlock& block)
{
	PSDByteReader reader(in, block.offset, psdAddOffsets(block.offset, block.length));
	reader.Big16(); // the block's version
	std::string id;
	if (reader.Big32() != 16 || !skipUnicode(reader) || !readID(reader, &id))
		return std::nullopt;
	const uint32 count = reader.Big32();
	if (count > reader.Left() / kSmallestItem)
		return std::nullopt;

	bool cube = true, formatRead = false, located = false;
	PSDColorLookupSettings settings;
	for (uint32 i = 0; i < count; i++) {
		std::string key, type(4, ' ');
		if (!readID(reader, &key) || !reader.Read(&type[0], 4))
			return std::nullopt;
		const uint64 start = reader.Position();
		if (key == "LUTFormat" && !formatRead) {
			formatRead = true;
			// A value of another type leaves the format as .cube.
			if (type == "enum" && readID(reader, &id) && readID(reader, &id))
				cube = id == "LUTFormatCUBE";
		} else if (key == "LUT3DFileData" && !located) {
			located = true;
			if (type == "tdta" || type == "alis") {
				const uint32 length = reader.Big32();
				settings.table = {block.key, reader.Position(), length};
			}
		}
		if (!reader.Seek(start) || !skipValue(reader, type))
			return std::nullopt;
	}
	// A table the file does not hold is not located: reading it would cost
	// its claimed size before failing.
	off_t size;
	if (reader.Failed() || !cube || settings.table.length == 0 || in->GetSize(&size) != B_OK ||
	    psdAddOffsets(settings.table.offset, settings.table.length) > (uint64)size)
		return std::nullopt;
	return settings;
}
