#include "PSDPatterns.h"

#include <core/PSDByteReader.h>
#include <core/PSDPackBits.h>

#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <core/PSDInflate.h>

#include <algorithm>
#include <cstring>

namespace {

struct Header {
	uint16 mode;
	int32 width;
	int32 height;
	std::string id;
	uint8 table[768];
};

bool readHeader(PSDByteReader& reader, Header* header)
{
	if (reader.Big32() != 1)
		return false;
	header->mode = (uint16)reader.Big32();
	header->height = reader.Big16();
	header->width = reader.Big16();
	const uint32 nameLength = reader.Big32();
	if (nameLength > reader.Left() / 2)
		return false;
	reader.Skip((uint64)nameLength * 2);
	const uint8 idLength = reader.Uint8();
	header->id.resize(idLength);
	reader.Read(&header->id[0], idLength);
	if (header->mode == PSD_MODE_INDEXED)
		reader.Read(header->table, sizeof(header->table));
	return !reader.Failed();
}

// A stored sample as 16 bits: 8-bit values exactly (255 is 65535).
uint16 sample(const uint8* p, uint32 depth)
{
	if (depth == 16)
		return psdBig16(p);
	if (depth == 32) {
		uint32 bits = psdBig32(p);
		float value;
		memcpy(&value, &bits, 4);
		value = value == value ? std::min(1.0f, std::max(0.0f, value)) : 0;
		return (uint16)(value * 65535 + 0.5f);
	}
	return (uint16)(p[0] * 257);
}

// One channel's array into plane; false when it is not there as described.
bool readChannel(BPositionIO* in, PSDByteReader& reader, int32 width, int32 height, uint16* plane)
{
	if (reader.Big32() == 0)
		return false;
	const uint32 length = reader.Big32();
	if (length < 23 || reader.Failed())
		return false;
	const uint64 end = reader.Position() + length;
	const uint32 depth = reader.Big32();
	const uint32 top = reader.Big32(), left = reader.Big32();
	const uint32 bottom = reader.Big32(), right = reader.Big32();
	reader.Big16();
	const uint8 compression = reader.Uint8();
	const uint64 dataStart = reader.Position();
	if (reader.Failed() || end > reader.End() || (depth != 8 && depth != 16 && depth != 32) ||
	    (int64)bottom - top != height || (int64)right - left != width) {
		reader.Seek(std::min(end, reader.End()));
		return false;
	}
	const size_t bytes = depth / 8;
	const size_t rowBytes = (size_t)width * bytes;
	std::vector<uint8> data(rowBytes * height, 0), packed;
	bool ok = true;
	if (compression == 0) {
		ok = reader.Read(data.data(), std::min<uint64>(data.size(), end - dataStart));
	} else if (compression == 1) {
		std::vector<uint16> counts((size_t)height);
		for (uint16& count : counts)
			count = reader.Big16();
		for (int32 y = 0; y < height && ok && !reader.Failed(); y++) {
			packed.resize(counts[y]);
			ok = reader.Read(packed.data(), packed.size());
			psdCoreUnpackBits(packed.data(), packed.size(), 0, rowBytes,
			                  &data[(size_t)y * rowBytes]);
		}
	} else if (compression == 2 || compression == 3) {
		PSDInflater inflater(in, dataStart, end - dataStart);
		ok = inflater.InitCheck() == B_OK;
		if (ok)
			inflater.Read(data.data(), data.size());
	} else {
		ok = false;
	}
	reader.Seek(end);
	if (!ok)
		return false;
	for (size_t i = 0; i < (size_t)width * height; i++)
		plane[i] = sample(&data[i * bytes], depth);
	return true;
}

bool readPixels(BPositionIO* in, PSDByteReader& reader, const Header& header, PSDPattern* pattern)
{
	if (reader.Big32() != 3)
		return false;
	reader.Big32();  // the list's length
	reader.Skip(16); // its rectangle
	const uint32 stored = reader.Big32();
	const int colours = psdCoreColourChannels(header.mode);
	const size_t size = (size_t)header.width * header.height;
	if (reader.Failed() || colours == 0 || stored < (uint32)colours || stored > 64)
		return false;
	const bool indexed = header.mode == PSD_MODE_INDEXED;
	const int channels = indexed ? 3 : colours;
	pattern->width = header.width;
	pattern->height = header.height;
	pattern->mode = header.mode;
	pattern->channels = channels;
	// Indexed patterns read their one channel of indices behind the planes
	// the table fills.
	pattern->samples.assign(size * (channels + 1), 65535);
	uint16* alpha = &pattern->samples[size * channels];
	uint16* indices = indexed ? alpha : &pattern->samples[0];
	for (int c = 0; c < colours; c++) {
		if (!readChannel(in, reader, header.width, header.height, indices + size * c))
			return false;
	}
	if (indexed) {
		for (size_t i = 0; i < size; i++) {
			const int index = std::min(255, (alpha[i] + 128) / 257);
			for (int c = 0; c < 3; c++)
				pattern->samples[size * c + i] = (uint16)(header.table[c * 256 + index] * 257);
		}
	}
	// A further channel of the same size is the pattern's transparency.
	if (stored <= (uint32)colours || !readChannel(in, reader, header.width, header.height, alpha))
		std::fill(alpha, alpha + size, 65535);
	return true;
}

} // namespace

std::string psdPatternID(std::string id)
{
	while (!id.empty() && id.back() == '\0')
		id.pop_back();
	return id;
}

std::map<std::string, PSDBlock> psdFindPatterns(BPositionIO* in,
                                                const std::vector<PSDBlock>& blocks, size_t most)
{
	std::map<std::string, PSDBlock> found;
	for (const PSDBlock& block : blocks) {
		if (block.key != psdKey("Patt") && block.key != psdKey("Pat2") &&
		    block.key != psdKey("Pat3"))
			continue;
		PSDByteReader reader(in, block.offset, psdAddOffsets(block.offset, block.length));
		while (reader.Left() >= 4 && found.size() < most) {
			const uint32 length = reader.Big32();
			if (reader.Failed() || length == 0 || length > reader.Left())
				break;
			const uint64 next = reader.Position() + ((length + 3) & ~3ull);
			const PSDBlock record = {block.key, reader.Position(), length};
			PSDByteReader one = reader.Sub(length);
			Header header;
			if (readHeader(one, &header))
				found.emplace(psdPatternID(header.id), record);
			if (next > reader.End() || !reader.Seek(next))
				break;
		}
	}
	return found;
}

bool psdReadPattern(BPositionIO* in, const PSDBlock& record, PSDPattern* pattern)
{
	PSDByteReader reader(in, record.offset, psdAddOffsets(record.offset, record.length));
	Header header;
	return readHeader(reader, &header) && header.width > 0 && header.height > 0 &&
	       (uint64)header.width * header.height <= kPSDPatternMaxPixels &&
	       readPixels(in, reader, header, pattern);
}
