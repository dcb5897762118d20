#include "PSDDocument.h"

#include "PSDBytes.h"

#include <cstring>

uint64 PSDDocument::RowBytes() const
{
	if (depth == 1)
		return ((uint64)width + 7) / 8;
	return (uint64)width * (depth / 8);
}

uint64 PSDDocument::PlanesOffset() const
{
	if (compression != PSD_COMPRESSION_PACKBITS)
		return imageData;
	return psdAddOffsets(imageData, (uint64)channels * height * RowCountSize());
}

const PSDResource* PSDDocument::Resource(uint16 id) const
{
	for (const PSDResource& resource : resourceIndex) {
		if (resource.id == id)
			return &resource;
	}
	return nullptr;
}

namespace {

bool readSection(BPositionIO* in, uint64 at, uint32 lengthSize, PSDSection* section)
{
	uint8 bytes[8];
	if (!psdReadAt(in, at, bytes, lengthSize))
		return false;
	section->offset = at + lengthSize;
	section->length = lengthSize == 8 ? psdBig64(bytes) : psdBig32(bytes);
	return true;
}

bool knownSignature(const uint8* bytes)
{
	static const char* const kSignatures[] = {"8BIM", "MeSa", "PHUT", "AgHg", "DCSR"};
	for (const char* signature : kSignatures) {
		if (memcmp(bytes, signature, 4) == 0)
			return true;
	}
	return false;
}

// Image resource blocks: signature, ID, a Pascal name padded to an even
// length, a 4-byte size and the data, padded to an even length. The walk
// stops at the first block that does not fit, as readers of the format do.
void indexResources(BPositionIO* in, const PSDSection& section, std::vector<PSDResource>* index)
{
	const uint64 end = psdAddOffsets(section.offset, section.length);
	uint64 at = section.offset;
	while (at < end && end - at >= 12) {
		uint8 head[7];
		if (!psdReadAt(in, at, head, sizeof(head)))
			return;
		if (!knownSignature(head))
			return;
		const uint64 nameSize = (1 + (uint64)head[6] + 1) & ~(uint64)1;
		uint8 size[4];
		const uint64 sizeAt = at + 6 + nameSize;
		if (sizeAt + 4 > end || !psdReadAt(in, sizeAt, size, sizeof(size)))
			return;
		const uint32 length = psdBig32(size);
		const uint64 data = sizeAt + 4;
		if (length > end - data)
			return;
		index->push_back({psdBig16(head + 4), data, length});
		at = data + length + (length & 1);
	}
}

// The version info resource: a 4-byte version, then hasRealMergedData.
int realMergedData(BPositionIO* in, const PSDDocument& document)
{
	const PSDResource* info = document.Resource(PSD_RESOURCE_VERSION_INFO);
	uint8 flag;
	if (info == nullptr || info->length < 5 || !psdReadAt(in, info->offset + 4, &flag, 1))
		return -1;
	return flag != 0 ? 1 : 0;
}

} // namespace

status_t psdCoreDescribe(BPositionIO* in, PSDDocument* document, std::string* reason,
                         bool requireImageData)
{
	uint8 header[PSD_HEADER_SIZE];
	if (!psdReadAt(in, 0, header, sizeof(header))) {
		*reason = "the file is too short to be a Photoshop image";
		return B_ERROR;
	}
	PSDDocument& d = *document;
	d.version = psdBig16(header + 4);
	d.channels = psdBig16(header + 12);
	d.height = psdBig32(header + 14);
	d.width = psdBig32(header + 18);
	d.depth = psdBig16(header + 22);
	d.mode = psdBig16(header + 24);
	d.resourceIndex.clear();
	d.hasImageData = false;
	d.compression = 0;
	d.imageData = 0;

	static const char* const kSectionNames[3] = {"colour mode data", "image resources",
	                                             "layer and mask information"};
	PSDSection* const sections[3] = {&d.colorModeData, &d.resources, &d.layerAndMask};
	uint64 at = PSD_HEADER_SIZE;
	for (int i = 0; i < 3; i++) {
		const uint32 lengthSize = i == 2 && d.IsPSB() ? 8 : 4;
		if (!readSection(in, at, lengthSize, sections[i])) {
			*reason = std::string("the file ends before its ") + kSectionNames[i];
			return B_ERROR;
		}
		at = psdAddOffsets(sections[i]->offset, sections[i]->length);
	}
	indexResources(in, d.resources, &d.resourceIndex);
	d.realMergedData = realMergedData(in, d);

	uint8 compression[2];
	if (psdReadAt(in, at, compression, sizeof(compression))) {
		d.hasImageData = true;
		d.compression = psdBig16(compression);
		d.imageData = at + 2;
	} else if (requireImageData) {
		*reason = "the file ends before its image data";
		return B_ERROR;
	}
	return B_OK;
}
