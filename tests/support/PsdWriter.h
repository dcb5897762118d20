#ifndef TESTS_PSD_WRITER_H
#define TESTS_PSD_WRITER_H

// Builds small PSD and PSB streams in memory for tests, fuzz seeds and
// benchmarks: the fixed header, the three length-prefixed sections, the
// compression word, the row byte-count table and the planes, raw,
// PackBits-packed or in one zlib stream (with or without prediction).

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace psdtest {

typedef std::vector<uint8_t> Bytes;

struct PsdLayout {
	uint16_t version = 1; // 2: PSB
	uint16_t channels = 3;
	uint32_t width = 1;
	uint32_t height = 1;
	uint16_t depth = 8;
	uint16_t mode = 3; // RGB
	Bytes colorModeData;
	Bytes imageResources;
	Bytes layerInfo;

	// Stored bytes of one row of one plane, before packing.
	size_t RowBytes() const
	{
		return depth == 1 ? (width + 7u) / 8u : (size_t)width * (depth / 8u);
	}
	bool IsPSB() const { return version == 2; }
};

// A layout with the given image and empty sections.
inline PsdLayout psdLayout(uint16_t mode, uint16_t depth, uint16_t channels, uint32_t width,
                           uint32_t height)
{
	PsdLayout layout;
	layout.mode = mode;
	layout.depth = depth;
	layout.channels = channels;
	layout.width = width;
	layout.height = height;
	return layout;
}

inline void appendBig16(Bytes& out, uint32_t value)
{
	out.push_back((uint8_t)(value >> 8));
	out.push_back((uint8_t)value);
}

inline void appendBig32(Bytes& out, uint32_t value)
{
	appendBig16(out, value >> 16);
	appendBig16(out, value & 0xFFFF);
}

// A length of 4 bytes, or 8 (a PSB file's layer and mask section).
inline void appendSection(Bytes& out, const Bytes& section, bool longLength = false)
{
	if (longLength)
		appendBig32(out, 0);
	appendBig32(out, (uint32_t)section.size());
	out.insert(out.end(), section.begin(), section.end());
}

// One image resource block: the signature, its ID, an empty name and the
// data, padded to an even length.
inline Bytes imageResource(uint16_t id, const Bytes& data)
{
	Bytes out = {'8', 'B', 'I', 'M'};
	appendBig16(out, id);
	appendBig16(out, 0);
	appendBig32(out, (uint32_t)data.size());
	out.insert(out.end(), data.begin(), data.end());
	if (data.size() % 2 != 0)
		out.push_back(0);
	return out;
}

// Everything in front of the compression word.
inline Bytes psdFrontMatter(const PsdLayout& layout)
{
	Bytes out = {'8', 'B', 'P', 'S'};
	appendBig16(out, layout.version);
	out.resize(12, 0);
	appendBig16(out, layout.channels);
	appendBig32(out, layout.height);
	appendBig32(out, layout.width);
	appendBig16(out, layout.depth);
	appendBig16(out, layout.mode);
	appendSection(out, layout.colorModeData);
	appendSection(out, layout.imageResources);
	appendSection(out, layout.layerInfo, layout.IsPSB());
	return out;
}

// Byte PackBits, as PSD writers pack each row: runs of three or more equal
// bytes become repeat packets, everything else literal packets of up to 128.
inline Bytes packBits(const uint8_t* data, size_t size)
{
	Bytes out;
	size_t i = 0;
	while (i < size) {
		size_t run = 1;
		while (i + run < size && run < 128 && data[i + run] == data[i])
			run++;
		if (run >= 3) {
			out.push_back((uint8_t)(257 - run));
			out.push_back(data[i]);
			i += run;
			continue;
		}
		size_t start = i;
		size_t count = 0;
		while (i < size && count < 128) {
			if (i + 2 < size && data[i] == data[i + 1] && data[i] == data[i + 2])
				break;
			i++;
			count++;
		}
		out.push_back((uint8_t)(count - 1));
		out.insert(out.end(), data + start, data + start + count);
	}
	return out;
}

// A whole file with raw planes; each plane holds height x RowBytes() bytes.
inline Bytes psdRaw(const PsdLayout& layout, const std::vector<Bytes>& planes)
{
	Bytes out = psdFrontMatter(layout);
	appendBig16(out, 0);
	for (const Bytes& plane : planes)
		out.insert(out.end(), plane.begin(), plane.end());
	return out;
}

// A whole file whose compression word is 1, with a row count table of
// channels x height entries (2 bytes each, 4 in a PSB file) and the given
// packet bytes as they are.
inline Bytes psdPackedData(const PsdLayout& layout, const std::vector<uint32_t>& rowCounts,
                           const Bytes& packets)
{
	Bytes out = psdFrontMatter(layout);
	appendBig16(out, 1);
	for (uint32_t i = 0; i < (uint32_t)layout.channels * layout.height; i++) {
		const uint32_t count = i < rowCounts.size() ? rowCounts[i] : 0;
		if (layout.IsPSB())
			appendBig32(out, count);
		else
			appendBig16(out, count);
	}
	out.insert(out.end(), packets.begin(), packets.end());
	return out;
}

// A whole file with every row of every plane packed by packBits.
inline Bytes psdPackBits(const PsdLayout& layout, const std::vector<Bytes>& planes)
{
	std::vector<uint32_t> rowCounts;
	Bytes packets;
	const size_t rowBytes = layout.RowBytes();
	for (const Bytes& plane : planes) {
		for (uint32_t row = 0; row < layout.height; row++) {
			Bytes packed = packBits(plane.data() + row * rowBytes, rowBytes);
			rowCounts.push_back((uint32_t)packed.size());
			packets.insert(packets.end(), packed.begin(), packed.end());
		}
	}
	return psdPackedData(layout, rowCounts, packets);
}

// Samples as 32-bit documents store them: big-endian IEEE floats.
inline Bytes floatSamples(const std::vector<float>& samples)
{
	Bytes out;
	for (float sample : samples) {
		uint32_t bits;
		memcpy(&bits, &sample, sizeof(bits));
		appendBig32(out, bits);
	}
	return out;
}

// ZIP prediction, as writers apply it to each row of `width` samples: 1-byte
// samples become byte deltas, 2-byte samples big-endian deltas modulo 65536,
// and 4-byte samples are first split into four byte planes of the row, then
// delta-coded byte by byte along all of them.
inline void predictRow(uint8_t* row, uint32_t width, uint32_t sampleBytes)
{
	const size_t bytes = (size_t)width * sampleBytes;
	if (sampleBytes == 2) {
		for (size_t i = bytes - 2; i >= 2 && i < bytes; i -= 2) {
			const uint16_t delta =
			    (uint16_t)((row[i] << 8 | row[i + 1]) - (row[i - 2] << 8 | row[i - 1]));
			row[i] = (uint8_t)(delta >> 8);
			row[i + 1] = (uint8_t)delta;
		}
		return;
	}
	if (sampleBytes == 4) {
		const Bytes samples(row, row + bytes);
		for (size_t i = 0; i < width; i++) {
			for (size_t b = 0; b < 4; b++)
				row[b * width + i] = samples[4 * i + b];
		}
	}
	for (size_t i = bytes - 1; i >= 1 && i < bytes; i--)
		row[i] = (uint8_t)(row[i] - row[i - 1]);
}

// The whole of data as one zlib stream.
inline Bytes zlibStream(const Bytes& data, int level = Z_DEFAULT_COMPRESSION)
{
	uLongf size = compressBound((uLong)data.size());
	Bytes out(size);
	if (compress2(out.data(), &size, data.data(), (uLong)data.size(), level) != Z_OK)
		return Bytes();
	out.resize(size);
	return out;
}

// A whole file whose compression word is 2 (3: with prediction) followed by
// the given stream bytes as they are.
inline Bytes psdZipData(const PsdLayout& layout, bool predicted, const Bytes& stream)
{
	Bytes out = psdFrontMatter(layout);
	appendBig16(out, predicted ? 3 : 2);
	out.insert(out.end(), stream.begin(), stream.end());
	return out;
}

// The planes one after another, each row predicted if asked, in one stream.
inline Bytes psdZipStream(const PsdLayout& layout, const std::vector<Bytes>& planes, bool predicted,
                          int level = Z_DEFAULT_COMPRESSION)
{
	Bytes data;
	for (const Bytes& plane : planes)
		data.insert(data.end(), plane.begin(), plane.end());
	const size_t rowBytes = layout.RowBytes();
	const uint32_t sampleBytes = layout.depth < 8 ? 1 : layout.depth / 8u;
	if (predicted && rowBytes > 0) {
		for (size_t at = 0; at + rowBytes <= data.size(); at += rowBytes)
			predictRow(data.data() + at, (uint32_t)(rowBytes / sampleBytes), sampleBytes);
	}
	return zlibStream(data, level);
}

inline Bytes psdZip(const PsdLayout& layout, const std::vector<Bytes>& planes, bool predicted)
{
	return psdZipData(layout, predicted, psdZipStream(layout, planes, predicted));
}

} // namespace psdtest

#endif
