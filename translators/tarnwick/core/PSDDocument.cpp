#include "PSDDocument.h"

#include "PSDByteReader.h"
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
	PSDByteReader reader(in, section.offset, psdAddOffsets(section.offset, section.length));
	while (reader.Left() >= 12) {
		uint8 signature[4];
		reader.Read(signature, sizeof(signature));
		const uint16 id = reader.Big16();
		const uint8 nameLength = reader.Uint8();
		reader.Skip(nameLength | 1u); // with the length byte, an even count
		const uint32 length = reader.Big32();
		if (reader.Failed() || !knownSignature(signature) || length > reader.Left())
			return;
		index->push_back({id, reader.Position(), length});
		reader.Skip(length + (length & 1));
	}
}

// The version info resource: a 4-byte version, then hasRealMergedData.
int realMergedData(BPositionIO* in, const PSDDocument& document)
{
	const PSDResource* info = document.Resource(PSD_RESOURCE_VERSION_INFO);
	if (info == nullptr || info->length < 5)
		return -1;
	PSDByteReader reader(in, info->offset + 4, info->offset + 5);
	const uint8 flag = reader.Uint8();
	if (reader.Failed())
		return -1;
	return flag != 0 ? 1 : 0;
}

} // namespace

status_t psdCoreDescribe(BPositionIO* in, PSDDocument* document, std::string* reason,
                         bool requireImageData)
{
	PSDDocument& d = *document;
	PSDByteReader file(in, 0, UINT64_MAX);
	file.Skip(4); // the signature, which Identify has seen
	d.version = file.Big16();
	file.Skip(6);
	d.channels = file.Big16();
	d.height = file.Big32();
	d.width = file.Big32();
	d.depth = file.Big16();
	d.mode = file.Big16();
	if (file.Failed()) {
		*reason = "the file is too short to be a Photoshop image";
		return B_ERROR;
	}
	d.resourceIndex.clear();
	d.hasImageData = false;
	d.compression = 0;
	d.imageData = 0;

	static const char* const kSectionNames[3] = {"colour mode data", "image resources",
	                                             "layer and mask information"};
	PSDSection* const sections[3] = {&d.colorModeData, &d.resources, &d.layerAndMask};
	for (int i = 0; i < 3; i++) {
		sections[i]->length = file.Length(i == 2 && d.IsPSB());
		sections[i]->offset = file.Position();
		if (file.Failed()) {
			*reason = std::string("the file ends before its ") + kSectionNames[i];
			return B_ERROR;
		}
		file.Skip(sections[i]->length);
	}
	indexResources(in, d.resources, &d.resourceIndex);
	d.realMergedData = realMergedData(in, d);

	d.compression = file.Big16();
	d.hasImageData = !file.Failed();
	d.imageData = d.hasImageData ? file.Position() : 0;
	if (!d.hasImageData && requireImageData) {
		*reason = "the file ends before its image data";
		return B_ERROR;
	}
	return B_OK;
}
