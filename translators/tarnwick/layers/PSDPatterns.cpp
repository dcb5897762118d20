#include "PSDPatterns.h"

#include <core/PSDByteReader.h>
#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <core/PSDInflate.h>
#include <core/PSDPackBits.h>
#include <core/PSDSamples.h>

#include <algorithm>
#include <cstring>
#include <new>

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

// IDs compare without the NUL descriptors often keep at the end.
std::string trimmed(std::string text)
{
	while (!text.empty() && text.back() == '\0')
		text.pop_back();
	return text;
}

// One channel's array into plane; false when it is not there as described.
bool readChannel(BPositionIO* in, PSDByteReader& reader, int32 width, int32 height, float* plane)
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
	std::vector<uint8> data, packed;
	bool ok = true;
	try {
		data.assign(rowBytes * height, 0);
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
	} catch (const std::bad_alloc&) {
		ok = false;
	}
	reader.Seek(end);
	if (!ok)
		return false;
	const size_t size = (size_t)width * height;
	psdCoreWidenSamples(data.data(), (uint32)size, (uint32)bytes, plane);
	for (size_t i = 0; i < size; i++)
		plane[i] = std::min(1.0f, std::max(0.0f, plane[i]));
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
	const int channels = header.mode == PSD_MODE_INDEXED ? 3 : colours;
	std::vector<float> planes;
	try {
		planes.assign(size * (colours + 1), 1.0f);
	} catch (const std::bad_alloc&) {
		return false;
	}
	for (int c = 0; c < colours; c++) {
		if (!readChannel(in, reader, header.width, header.height, &planes[size * c]))
			return false;
	}
	// A further channel of the same size is the pattern's transparency.
	std::vector<float> alpha(size);
	const bool hasAlpha = stored > (uint32)colours &&
	                      readChannel(in, reader, header.width, header.height, alpha.data());
	pattern->width = header.width;
	pattern->height = header.height;
	pattern->mode = header.mode;
	pattern->channels = channels;
	try {
		pattern->planes.assign(size * (channels + 1), 1.0f);
	} catch (const std::bad_alloc&) {
		return false;
	}
	if (header.mode == PSD_MODE_INDEXED) {
		for (size_t i = 0; i < size; i++) {
			const int index = std::min(255, (int)(planes[i] * 255 + 0.5f));
			for (int c = 0; c < 3; c++)
				pattern->planes[size * c + i] = header.table[c * 256 + index] / 255.0f;
		}
	} else {
		std::copy(planes.begin(), planes.begin() + size * colours, pattern->planes.begin());
	}
	if (hasAlpha)
		std::copy(alpha.begin(), alpha.end(), pattern->planes.begin() + size * channels);
	return true;
}

} // namespace

bool psdReadPattern(BPositionIO* in, const std::vector<PSDBlock>& blocks, const std::string& id,
                    PSDPattern* pattern)
{
	const std::string wanted = trimmed(id);
	for (const PSDBlock& block : blocks) {
		if (block.key != psdKey("Patt") && block.key != psdKey("Pat2") &&
		    block.key != psdKey("Pat3"))
			continue;
		PSDByteReader reader(in, block.offset, psdAddOffsets(block.offset, block.length));
		while (reader.Left() >= 4) {
			const uint32 length = reader.Big32();
			if (reader.Failed() || length == 0 || length > reader.Left())
				break;
			const uint64 next = reader.Position() + ((length + 3) & ~3ull);
			PSDByteReader one = reader.Sub(length);
			Header header;
			if (readHeader(one, &header) && trimmed(header.id) == wanted) {
				return header.width > 0 && header.height > 0 &&
				       (uint64)header.width * header.height <= kPSDPatternMaxPixels &&
				       readPixels(in, one, header, pattern);
			}
			if (next > reader.End() || !reader.Seek(next))
				break;
		}
	}
	return false;
}
