#ifndef TESTS_PSD_LAYER_WRITER_H
#define TESTS_PSD_LAYER_WRITER_H

// Builds the layer and mask information section of a PSD stream for tests,
// fuzz seeds and benchmarks: layer records with their channels (PackBits
// rows, as Photoshop writes them), additional information blocks, and the
// channel data behind the records.

#include "PsdWriter.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace psdtest {

struct LayerChannel {
	int16_t id;             // 0, 1, 2 colour; -1 transparency; -2 user mask
	Bytes samples;          // rows of the layer (or the mask's rect), 8-bit
	Bytes stored = Bytes(); // when not empty, the channel as stored instead, compression word first
};

struct LayerBlock {
	std::string key; // four characters
	Bytes data;
};

struct LayerRecord {
	int32_t top = 0, left = 0, bottom = 0, right = 0;
	std::vector<LayerChannel> channels;
	std::string blendMode = "norm";
	uint8_t opacity = 255;
	uint8_t clipping = 0;
	uint8_t flags = 0;    // 2: hidden
	Bytes maskData;       // as stored: rect, default colour, flags, ...
	Bytes blendingRanges; // as stored; none when empty
	std::string name = "Layer";
	std::vector<LayerBlock> blocks;
};

inline void appendText(Bytes& out, const std::string& text)
{
	out.insert(out.end(), text.begin(), text.end());
}

inline Bytes packedRows(const Bytes& samples, uint32_t width, uint32_t height)
{
	if (samples.size() < (size_t)width * height)
		throw std::invalid_argument("a channel holds fewer samples than its rectangle");
	Bytes counts, rows;
	for (uint32_t y = 0; y < height; y++) {
		Bytes row = packBits(samples.data() + (size_t)y * width, width);
		appendBig16(counts, (uint32_t)row.size());
		rows.insert(rows.end(), row.begin(), row.end());
	}
	Bytes out;
	appendBig16(out, 1);
	out.insert(out.end(), counts.begin(), counts.end());
	out.insert(out.end(), rows.begin(), rows.end());
	return out;
}

// A section divider ('lsct') of the given type: 1 open group, 3 its end.
inline LayerBlock sectionDivider(uint32_t type, const std::string& blendMode = "pass")
{
	LayerBlock block = {"lsct", {}};
	appendBig32(block.data, type);
	if (type == 1 || type == 2) {
		appendText(block.data, "8BIM");
		appendText(block.data, blendMode);
	}
	return block;
}

// The layer and mask information section's body (without its own length),
// for PsdLayout::layerInfo.
inline Bytes layerSection(const std::vector<LayerRecord>& layers)
{
	Bytes records, data;
	appendBig16(records, (uint32_t)layers.size());
	for (const LayerRecord& layer : layers) {
		for (int32_t side : {layer.top, layer.left, layer.bottom, layer.right})
			appendBig32(records, (uint32_t)side);
		appendBig16(records, (uint32_t)layer.channels.size());
		std::vector<Bytes> channelData;
		for (const LayerChannel& channel : layer.channels) {
			const bool mask = channel.id == -2;
			const uint32_t width = mask ? 0 : (uint32_t)(layer.right - layer.left);
			const uint32_t height = mask ? 0 : (uint32_t)(layer.bottom - layer.top);
			Bytes packed;
			if (!channel.stored.empty()) {
				packed = channel.stored;
			} else if (mask) {
				// The mask's rect is the first 16 bytes of the mask data.
				const uint8_t* r = layer.maskData.data();
				const int32_t top = (int32_t)(r[0] << 24 | r[1] << 16 | r[2] << 8 | r[3]);
				const int32_t left = (int32_t)(r[4] << 24 | r[5] << 16 | r[6] << 8 | r[7]);
				const int32_t bottom = (int32_t)(r[8] << 24 | r[9] << 16 | r[10] << 8 | r[11]);
				const int32_t right = (int32_t)(r[12] << 24 | r[13] << 16 | r[14] << 8 | r[15]);
				packed =
				    packedRows(channel.samples, (uint32_t)(right - left), (uint32_t)(bottom - top));
			} else {
				packed = packedRows(channel.samples, width, height);
			}
			appendBig16(records, (uint16_t)channel.id);
			appendBig32(records, (uint32_t)packed.size());
			channelData.push_back(packed);
		}
		appendText(records, "8BIM");
		appendText(records, layer.blendMode);
		records.push_back(layer.opacity);
		records.push_back(layer.clipping);
		records.push_back(layer.flags);
		records.push_back(0);
		Bytes extra;
		appendSection(extra, layer.maskData);
		appendSection(extra, layer.blendingRanges);
		Bytes name = {(uint8_t)layer.name.size()};
		appendText(name, layer.name);
		while (name.size() % 4 != 0)
			name.push_back(0);
		extra.insert(extra.end(), name.begin(), name.end());
		for (const LayerBlock& block : layer.blocks) {
			appendText(extra, "8BIM");
			appendText(extra, block.key);
			Bytes body = block.data;
			while (body.size() % 2 != 0)
				body.push_back(0);
			appendSection(extra, body);
		}
		appendSection(records, extra);
		for (const Bytes& channel : channelData)
			data.insert(data.end(), channel.begin(), channel.end());
	}
	Bytes info = records;
	info.insert(info.end(), data.begin(), data.end());
	if (info.size() % 2 != 0)
		info.push_back(0);
	Bytes section;
	appendSection(section, info);
	appendBig32(section, 0); // no global layer mask
	return section;
}

// A solid colour fill ('SoCo': version 16 and a descriptor of one colour).
inline LayerBlock solidColour(double red, double green, double blue)
{
	LayerBlock block = {"SoCo", {}};
	Bytes& d = block.data;
	appendBig32(d, 16);
	appendBig32(d, 1); // class name: one UTF-16 unit, a NUL
	appendBig16(d, 0);
	appendBig32(d, 0);
	appendText(d, "null");
	appendBig32(d, 1);
	appendBig32(d, 0);
	appendText(d, "Clr ");
	appendText(d, "Objc");
	appendBig32(d, 1);
	appendBig16(d, 0);
	appendBig32(d, 0);
	appendText(d, "RGBC");
	appendBig32(d, 3);
	for (const char* key : {"Rd  ", "Grn ", "Bl  "}) {
		appendBig32(d, 0);
		appendText(d, key);
		appendText(d, "doub");
		const double value = key[0] == 'R' ? red : key[0] == 'G' ? green : blue;
		uint64_t bits;
		memcpy(&bits, &value, sizeof(bits));
		appendBig32(d, (uint32_t)(bits >> 32));
		appendBig32(d, (uint32_t)bits);
	}
	return block;
}

// A user mask's data: its rect and default colour.
inline Bytes maskData(int32_t top, int32_t left, int32_t bottom, int32_t right, uint8_t colour)
{
	Bytes out;
	for (int32_t side : {top, left, bottom, right})
		appendBig32(out, (uint32_t)side);
	out.push_back(colour);
	out.push_back(0);
	out.push_back(0);
	out.push_back(0);
	return out;
}

} // namespace psdtest

#endif
