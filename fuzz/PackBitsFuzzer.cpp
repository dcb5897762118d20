// The plane decoders on their own, each into a buffer of exactly width x
// height pixel words, compared with a plain reference decoding of the same
// bytes. Two planes are decoded back to back, so the second shows where the
// first stopped reading.
//
// Input: byte 0 picks the decoder (bit 0: 16-bit samples, bit 1: mapped
// through a table, bit 2: the bitmap loader instead, bit 3: raw instead of
// PackBits, bit 4: the side-by-side reader of 1 to 4 planes (bits 5-6 + 1)
// instead, its data starting with the row byte counts); bytes 1-2 and 3 give
// the width (1 to 2048) and height (1 to 64); byte 4, when its top bit is
// set, starts the plane that many bytes (low seven bits) before the end of
// the first read block; the rest is the data.

#include "FuzzSupport.h"

#include <PSDChannels.h>
#include <PSDCore.h>
#include <PSDFileBuffer.h>
#include <PSDPlaneSet.h>

#include <algorithm>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const uint32_t kFill = 0xA5A5A5A5;
const size_t kInputHeader = 5;

// The decoded byte stream of one plane from data[*at]: PackBits packets run
// across rows, bytes of a packet beyond the plane are read and dropped, and
// bytes the data cannot supply are 0.
Bytes referenceBytes(const uint8_t* data, size_t size, size_t* at, size_t count, bool packed)
{
	Bytes out;
	out.reserve(count);
	size_t i = *at;
	while (out.size() < count && i < size) {
		if (!packed) {
			out.push_back(data[i++]);
			continue;
		}
		const uint8_t header = data[i++];
		if (header < 128) {
			for (int k = 0; k <= header && i < size; k++, i++) {
				if (out.size() < count)
					out.push_back(data[i]);
			}
		} else if (header > 128) {
			const uint8_t value = i < size ? data[i++] : 0;
			for (int k = 0; k < 257 - header && out.size() < count; k++)
				out.push_back(value);
		}
	}
	out.resize(count, 0);
	*at = i;
	return out;
}

// Sample i of a plane: its byte, or the high byte of a 16-bit sample.
Bytes referenceSamples(const uint8_t* data, size_t size, size_t* at, size_t samples, bool wide,
                       bool packed)
{
	Bytes bytes = referenceBytes(data, size, at, samples * (wide ? 2 : 1), packed);
	if (!wide)
		return bytes;
	Bytes high(samples);
	for (size_t i = 0; i < samples; i++)
		high[i] = bytes[2 * i];
	return high;
}

uint32_t tableEntry(uint8_t sample)
{
	return 0x5A0000u | sample;
}

uint8_t byteOf(uint32_t word, int index)
{
	uint8_t bytes[4];
	memcpy(bytes, &word, 4);
	return bytes[index];
}

void decodeBytePlanes(uint32_t width, uint32_t height, bool wide, bool packed, const uint8_t* data,
                      size_t size)
{
	const size_t count = (size_t)width * height;
	std::vector<uint32_t> pixels(count, kFill);
	uint8_t* bytes = (uint8_t*)pixels.data();
	// Red first, then blue: the lanes a loader gives planes 0 and 2.
	if (packed && wide) {
		psdCoreReadChannel16BitsCompressed(width, height, bytes + 2);
		psdCoreReadChannel16BitsCompressed(width, height, bytes);
	} else if (packed) {
		psdCoreReadChannel8BitsCompressed(width, height, bytes + 2);
		psdCoreReadChannel8BitsCompressed(width, height, bytes);
	} else if (wide) {
		psdCoreReadChannel16Bits(width, height, bytes + 2);
		psdCoreReadChannel16Bits(width, height, bytes);
	} else {
		psdCoreReadChannel8Bits(width, height, bytes + 2);
		psdCoreReadChannel8Bits(width, height, bytes);
	}
	size_t at = 0;
	const Bytes red = referenceSamples(data, size, &at, count, wide, packed);
	const Bytes blue = referenceSamples(data, size, &at, count, wide, packed);
	for (size_t i = 0; i < count; i++) {
		FUZZ_CHECK(byteOf(pixels[i], 2) == red[i] && byteOf(pixels[i], 0) == blue[i]);
		FUZZ_CHECK(byteOf(pixels[i], 1) == 0xA5 && byteOf(pixels[i], 3) == 0xA5);
	}
}

void decodeMappedPlanes(uint32_t width, uint32_t height, bool wide, bool packed,
                        const uint8_t* data, size_t size)
{
	uint32_t table[256];
	for (int v = 0; v < 256; v++)
		table[v] = tableEntry((uint8_t)v);
	const size_t count = (size_t)width * height;
	std::vector<uint32_t> planes[2] = {std::vector<uint32_t>(count, kFill),
	                                   std::vector<uint32_t>(count, kFill)};
	size_t at = 0;
	for (std::vector<uint32_t>& plane : planes) {
		if (packed)
			psdCoreReadChannelMappedCompressed(width, height, plane.data(), table, wide);
		else
			psdCoreReadChannelMapped(width, height, plane.data(), table, wide);
		const Bytes samples = referenceSamples(data, size, &at, count, wide, packed);
		for (size_t i = 0; i < count; i++)
			FUZZ_CHECK(plane[i] == tableEntry(samples[i]));
	}
}

// The bitmap loader over a PSD whose image data is the input.
void decodeBitmap(uint32_t width, uint32_t height, bool packed, const uint8_t* data, size_t size)
{
	Bytes psd = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 1};
	for (uint32_t value : {height, width})
		for (int shift = 24; shift >= 0; shift -= 8)
			psd.push_back((uint8_t)(value >> shift));
	// Depth 1, mode 0, three empty sections, the compression word.
	const uint8_t tail[] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, (uint8_t)packed};
	static_assert(sizeof(tail) == 2 + 2 + 3 * 4 + 2, "depth, mode, sections, compression");
	psd.insert(psd.end(), tail, tail + sizeof(tail));
	if (packed)
		psd.resize(psd.size() + 2 * (size_t)height, 0);
	psd.insert(psd.end(), data, data + size);

	const size_t count = (size_t)width * height;
	std::vector<uint32_t> pixels(count, kFill);
	BMemoryIO in(psd.data(), psd.size());
	FUZZ_CHECK(psdCoreLoadImageBitmap(&in, width, height, pixels.data()) == B_OK);

	const size_t rowBytes = (width + 7) / 8;
	size_t at = 0;
	const Bytes bits = referenceBytes(data, size, &at, rowBytes * height, packed);
	const uint8_t black[4] = {0, 0, 0, 255}, white[4] = {255, 255, 255, 255};
	for (uint32_t y = 0; y < height; y++) {
		for (uint32_t x = 0; x < width; x++) {
			const bool set = bits[y * rowBytes + x / 8] & (0x80 >> (x % 8));
			FUZZ_CHECK(memcmp(&pixels[(size_t)y * width + x], set ? black : white, 4) == 0);
		}
	}
}

// Keeps every plane's samples, each in a vector of exactly width x height.
class PlaneCollector : public PSDPlaneSpanSink {
public:
	PlaneCollector(int planes, size_t count) : samples(planes, Bytes(count, 0xA5)) {}

	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
	          uint32 count) override
	{
		FUZZ_CHECK(first + count <= samples[0].size());
		for (size_t p = 0; p < samples.size(); p++)
			memcpy(samples[p].data() + first, planes[p], count);
	}

	std::vector<Bytes> samples;
};

// The reader takes the row byte counts as a guess of where each plane
// starts; wrong counts must change nothing.
void readPlaneSet(uint32_t width, uint32_t height, int planes, bool wide, bool packed,
                  const uint8_t* data, size_t size)
{
	const size_t table = packed ? (size_t)planes * height * 2 : 0;
	BMemoryIO in(data, size);
	const size_t count = (size_t)width * height;
	PlaneCollector collector(planes, count);
	FUZZ_CHECK(psdCoreReadPlaneSet(&in,
	                               {packed, wide ? 2u : 1u, planes, width, height, table,
	                                (uint32)planes, 2, -1, false},
	                               collector) == B_OK);

	const uint8_t* planeData = data + std::min(table, size);
	const size_t planeSize = size - std::min(table, size);
	size_t at = 0;
	for (int p = 0; p < planes; p++) {
		const Bytes expected = referenceSamples(planeData, planeSize, &at, count, wide, packed);
		FUZZ_CHECK(collector.samples[p] == expected);
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize)
{
	if (inputSize < kInputHeader)
		return 0;
	const bool wide = input[0] & 1, mapped = input[0] & 2, bitmap = input[0] & 4;
	const bool packed = !(input[0] & 8);
	const uint32_t width = 1 + fuzzBig16(input + 1) % 2048;
	const uint32_t height = 1 + input[3] % 64;
	const uint8_t* data = input + kInputHeader;
	const size_t size = inputSize - kInputHeader;

	if (input[0] & 0x10) {
		readPlaneSet(width, height, 1 + ((input[0] >> 5) & 3), wide, packed, data, size);
		return 0;
	}
	if (bitmap) {
		decodeBitmap(width, height, packed, data, size);
		return 0;
	}

	const size_t lead = input[4] & 0x80 ? PSD_FILE_BUFFER_SIZE - (input[4] & 0x7F) : 0;
	Bytes stream(lead);
	stream.insert(stream.end(), data, data + size);
	BMemoryIO in(stream.data(), stream.size());
	psdCoreFileBufferInit(&in);
	static uint8_t skipped[PSD_FILE_BUFFER_SIZE];
	psdCoreFileBufferRead((uint32)lead, skipped);

	if (mapped)
		decodeMappedPlanes(width, height, wide, packed, data, size);
	else
		decodeBytePlanes(width, height, wide, packed, data, size);
	return 0;
}
