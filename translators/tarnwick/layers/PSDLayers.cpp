#include "PSDLayers.h"

#include <core/PSDByteReader.h>
#include <core/PSDBytes.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The smallest layer record: bounds, channel count, blend mode, opacity and
// flags, extra data length.
const uint64 kSmallestRecord = 16 + 2 + 8 + 4 + 4;

// Keys whose blocks have an 8-byte length in a PSB.
bool hasWideLength(uint32 key)
{
	static const uint32 kWide[] = {psdKey("LMsk"), psdKey("Lr16"), psdKey("Lr32"), psdKey("Layr"),
	                               psdKey("Mt16"), psdKey("Mt32"), psdKey("Mtrn"), psdKey("Alph"),
	                               psdKey("FMsk"), psdKey("lnk2"), psdKey("FEid"), psdKey("FXid"),
	                               psdKey("PxSD")};
	return std::find(std::begin(kWide), std::end(kWide), key) != std::end(kWide);
}

bool isBlockSignature(uint32 signature)
{
	return signature == psdKey("8BIM") || signature == psdKey("8B64");
}

// Additional information blocks up to the reader's end. Writers pad the
// data to 2 or to 4 bytes, and not always in the length: the next
// signature is looked for a few bytes on when it is not right behind.
void readBlocks(PSDByteReader& reader, bool psb, std::vector<PSDBlock>* blocks)
{
	while (reader.Left() >= 12) {
		const uint64 start = reader.Position();
		uint32 signature = reader.Big32();
		for (int pad = 0; pad < 3 && !isBlockSignature(signature) && reader.Left() >= 12; pad++) {
			reader.Seek(start + pad + 1);
			signature = reader.Big32();
		}
		if (!isBlockSignature(signature))
			return;
		const uint32 key = reader.Big32();
		const uint64 length = reader.Length(psb && hasWideLength(key));
		if (reader.Failed() || length > reader.Left())
			return;
		blocks->push_back({key, reader.Position(), length});
		reader.Skip(length);
	}
}

PSDRect readRect(PSDByteReader& reader)
{
	PSDRect rect;
	rect.top = (int32)reader.Big32();
	rect.left = (int32)reader.Big32();
	rect.bottom = (int32)reader.Big32();
	rect.right = (int32)reader.Big32();
	return rect;
}

// Mask data: 0 bytes, 20, or 36 and more. Where the layer has both a user
// mask and a vector mask, the real user mask follows the first one's flags;
// then come the parameters, when the flags say so, and padding.
void readMaskData(PSDByteReader reader, PSDLayer* layer)
{
	if (reader.Left() < 18)
		return;
	PSDLayerMaskData& mask = layer->mask;
	PSDUserMask first;
	first.present = true;
	first.rect = readRect(reader);
	first.defaultColour = reader.Uint8();
	first.flags = reader.Uint8();
	PSDUserMask real;
	if (layer->Channel(PSD_CHANNEL_REAL_USER_MASK) != nullptr && reader.Left() >= 18) {
		real.present = true;
		real.flags = reader.Uint8();
		real.defaultColour = reader.Uint8();
		real.rect = readRect(reader);
	}
	if (first.flags & PSD_MASK_HAS_PARAMETERS) {
		const uint8 present = reader.Uint8();
		if (present & 1)
			mask.userDensity = reader.Uint8();
		if (present & 2)
			mask.userFeather = reader.BigDouble();
		if (present & 4)
			mask.vectorDensity = reader.Uint8();
		if (present & 8)
			mask.vectorFeather = reader.BigDouble();
	}
	if (reader.Failed())
		real.present = false;
	if (real.present) {
		mask.user = real;
		mask.vectorRaster = first;
	} else {
		mask.user = first;
	}
	if (!std::isfinite(mask.userFeather) || mask.userFeather < 0)
		mask.userFeather = 0;
	if (!std::isfinite(mask.vectorFeather) || mask.vectorFeather < 0)
		mask.vectorFeather = 0;
}

// Reads the mask data, blending ranges, name and blocks behind the record's
// fixed part; a record whose extra data is damaged keeps what was read.
void readExtra(PSDByteReader extra, bool psb, PSDLayer* layer)
{
	const uint32 maskLength = extra.Big32();
	readMaskData(extra.Sub(maskLength), layer);
	extra.Skip(maskLength);
	const uint32 rangesLength = extra.Big32();
	if (!extra.Failed() && rangesLength <= extra.Left() && rangesLength <= 8 + 8 * 64) {
		layer->blendingRanges.resize(rangesLength);
		extra.Read(layer->blendingRanges.data(), rangesLength);
	} else {
		extra.Skip(rangesLength);
	}
	const uint8 nameLength = extra.Uint8();
	char name[256];
	if (extra.Read(name, nameLength))
		layer->name.assign(name, nameLength);
	extra.Skip((4 - (1 + nameLength) % 4) % 4);
	if (!extra.Failed())
		readBlocks(extra, psb, &layer->blocks);
}

bool readRecord(PSDByteReader& reader, bool psb, PSDLayer* layer)
{
	layer->bounds = readRect(reader);
	const uint16 channels = reader.Big16();
	if (channels > reader.Left() / 6)
		return false;
	for (uint16 i = 0; i < channels; i++) {
		PSDLayerChannel channel;
		channel.id = (int16)reader.Big16();
		channel.length = reader.Length(psb);
		channel.offset = 0;
		layer->channels.push_back(channel);
	}
	if (reader.Big32() != psdKey("8BIM"))
		return false;
	layer->blendMode = reader.Big32();
	layer->opacity = reader.Uint8();
	layer->clipping = reader.Uint8();
	layer->flags = reader.Uint8();
	reader.Uint8();
	const uint32 extraLength = reader.Big32();
	if (reader.Failed() || extraLength > reader.Left())
		return false;
	readExtra(reader.Sub(extraLength), psb, layer);
	return reader.Skip(extraLength);
}

// Layer records and then the channel data of every layer, in record order.
void readLayerInfo(PSDByteReader reader, bool psb, PSDLayers* layers)
{
	const int16 count = (int16)reader.Big16();
	const uint64 records = count < 0 ? (uint64)(-(int32)count) : (uint64)count;
	if (reader.Failed() || records > reader.Left() / kSmallestRecord)
		return;
	std::vector<PSDLayer>& read = layers->layers;
	read.reserve((size_t)records);
	for (uint64 i = 0; i < records; i++) {
		PSDLayer layer;
		if (!readRecord(reader, psb, &layer))
			break;
		read.push_back(std::move(layer));
	}
	// Channel data follows the records; channels whose data the section
	// does not hold keep no data.
	uint64 at = reader.Position();
	const uint64 end = reader.End();
	for (PSDLayer& layer : read) {
		for (PSDLayerChannel& channel : layer.channels) {
			if (channel.length > end - at)
				channel.length = end - at;
			channel.offset = at;
			at += channel.length;
		}
	}
}

} // namespace

const PSDBlock* PSDLayer::Block(uint32 key) const
{
	for (const PSDBlock& block : blocks) {
		if (block.key == key)
			return &block;
	}
	return nullptr;
}

const PSDLayerChannel* PSDLayer::Channel(int16 id) const
{
	for (const PSDLayerChannel& channel : channels) {
		if (channel.id == id)
			return &channel;
	}
	return nullptr;
}

const PSDBlock* PSDLayers::GlobalBlock(uint32 key) const
{
	for (const PSDBlock& block : globalBlocks) {
		if (block.key == key)
			return &block;
	}
	return nullptr;
}

bool psdReadBlock(BPositionIO* in, const PSDBlock& block, std::vector<uint8>* data, uint64 limit)
{
	if (block.length > limit)
		return false;
	data->resize((size_t)block.length);
	return psdReadAt(in, block.offset, data->data(), data->size());
}

status_t psdReadLayers(BPositionIO* in, const PSDDocument& document, PSDLayers* layers,
                       std::string* reason)
{
	const bool psb = document.IsPSB();
	layers->layers.clear();
	layers->globalBlocks.clear();
	layers->depth = document.depth;
	const PSDSection& section = document.layerAndMask;
	PSDByteReader reader(in, section.offset, psdAddOffsets(section.offset, section.length));
	if (section.length == 0)
		return B_OK;

	const uint64 infoLength = reader.Length(psb);
	if (reader.Failed()) {
		*reason = "the layer section is cut short";
		return B_ERROR;
	}
	readLayerInfo(reader.Sub(infoLength), psb, layers);
	reader.Skip(infoLength);
	const uint32 globalMask = reader.Big32();
	reader.Skip(globalMask);
	if (!reader.Failed())
		readBlocks(reader, psb, &layers->globalBlocks);

	// 16- and 32-bit documents keep their layers in a block of their own.
	if (layers->layers.empty()) {
		for (uint32 key : {psdKey("Lr16"), psdKey("Lr32")}) {
			const PSDBlock* block = layers->GlobalBlock(key);
			if (block != nullptr && layers->layers.empty()) {
				readLayerInfo(PSDByteReader(in, block->offset, block->offset + block->length), psb,
				              layers);
			}
		}
	}
	return B_OK;
}
