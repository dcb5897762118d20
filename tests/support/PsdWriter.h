#ifndef TESTS_PSD_WRITER_H
#define TESTS_PSD_WRITER_H

// Builds small PSD streams in memory for tests, fuzz seeds and benchmarks:
// the fixed header, the three length-prefixed sections, the compression word,
// the row byte-count table and the planes, raw or PackBits-packed as bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace psdtest {

typedef std::vector<uint8_t> Bytes;

struct PsdLayout {
	uint16_t channels = 3;
	uint32_t width = 1;
	uint32_t height = 1;
	uint16_t depth = 8;
	uint16_t mode = 3;  // RGB
	Bytes colorModeData;
	Bytes imageResources;
	Bytes layerInfo;

	// Stored bytes of one row of one plane, before packing.
	size_t RowBytes() const
	{
		return depth == 1 ? (width + 7u) / 8u : (size_t)width * (depth / 8u);
	}
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

inline void appendSection(Bytes& out, const Bytes& section)
{
	appendBig32(out, (uint32_t)section.size());
	out.insert(out.end(), section.begin(), section.end());
}

// Everything in front of the compression word.
inline Bytes psdFrontMatter(const PsdLayout& layout)
{
	Bytes out = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
	appendBig16(out, layout.channels);
	appendBig32(out, layout.height);
	appendBig32(out, layout.width);
	appendBig16(out, layout.depth);
	appendBig16(out, layout.mode);
	appendSection(out, layout.colorModeData);
	appendSection(out, layout.imageResources);
	appendSection(out, layout.layerInfo);
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
// channels x height entries and the given packet bytes as they are.
inline Bytes psdPackedData(const PsdLayout& layout, const std::vector<uint16_t>& rowCounts,
	const Bytes& packets)
{
	Bytes out = psdFrontMatter(layout);
	appendBig16(out, 1);
	for (uint32_t i = 0; i < (uint32_t)layout.channels * layout.height; i++)
		appendBig16(out, i < rowCounts.size() ? rowCounts[i] : 0);
	out.insert(out.end(), packets.begin(), packets.end());
	return out;
}

// A whole file with every row of every plane packed by packBits.
inline Bytes psdPackBits(const PsdLayout& layout, const std::vector<Bytes>& planes)
{
	std::vector<uint16_t> rowCounts;
	Bytes packets;
	const size_t rowBytes = layout.RowBytes();
	for (const Bytes& plane : planes) {
		for (uint32_t row = 0; row < layout.height; row++) {
			Bytes packed = packBits(plane.data() + row * rowBytes, rowBytes);
			rowCounts.push_back((uint16_t)packed.size());
			packets.insert(packets.end(), packed.begin(), packed.end());
		}
	}
	return psdPackedData(layout, rowCounts, packets);
}

}  // namespace psdtest

#endif
