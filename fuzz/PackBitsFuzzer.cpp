// The PackBits decoder in its three uses, compared with a plain reference
// decoding of the same bytes: the merged image of a PSD whose image data is
// the input (three planes decoded one after another, so each shows where the
// one before stopped reading), the side-by-side plane reader under row byte
// counts that may lie, and the memory form cut to a window of a row.
//
// Input: byte 0 picks the use and form (bit 0: 16-bit samples, bit 1: the
// memory form, bit 2: a bitmap image, bit 3: raw instead of PackBits, bit 4:
// the plane reader with 1 to 4 planes (bits 5-6 + 1), its data starting with
// the row byte counts); bytes 1-2 and 3 give the width (1 to 2048) and
// height (1 to 64); byte 4 the memory form's first byte kept; the rest is
// the data.

#include "FuzzSupport.h"

#include <core/PSDDocument.h>
#include <core/PSDMergedImage.h>
#include <core/PSDPackBits.h>
#include <core/PSDPlaneSet.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

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

void appendBig(Bytes& out, uint32_t value, int bytes)
{
	for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
		out.push_back((uint8_t)(value >> shift));
}

// A PSD of the given image whose image data is the input, behind row byte
// counts of 0 (so the planes are found by walking their packets).
Bytes psdAround(uint16_t mode, uint16_t depth, uint16_t channels, uint32_t width, uint32_t height,
                bool packed, const uint8_t* data, size_t size)
{
	Bytes psd = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
	appendBig(psd, channels, 2);
	appendBig(psd, height, 4);
	appendBig(psd, width, 4);
	appendBig(psd, depth, 2);
	appendBig(psd, mode, 2);
	psd.resize(psd.size() + 3 * 4, 0); // three empty sections
	appendBig(psd, packed ? 1 : 0, 2);
	if (packed)
		psd.resize(psd.size() + 2 * (size_t)channels * height, 0);
	psd.insert(psd.end(), data, data + size);
	return psd;
}

// Pixel words of exactly width x height, as Translate decodes them.
std::vector<uint32_t> decodeMerged(const Bytes& psd, PSDMergedKind kind, size_t count)
{
	BMemoryIO in(psd.data(), psd.size());
	PSDDocument document;
	std::string reason;
	FUZZ_CHECK(psdCoreDescribe(&in, &document, &reason) == B_OK);
	std::vector<uint32_t> pixels(count);
	PSDPixelBufferSink sink(pixels.data());
	FUZZ_CHECK(psdCoreDecodeMerged(&in, document, kind, sink) == B_OK);
	return pixels;
}

bool pixelIs(uint32_t word, uint8_t blue, uint8_t green, uint8_t red)
{
	const uint8_t bytes[4] = {blue, green, red, 255};
	return memcmp(&word, bytes, 4) == 0;
}

void decodeRGB(uint32_t width, uint32_t height, bool wide, bool packed, const uint8_t* data,
               size_t size)
{
	const Bytes psd = psdAround(3, wide ? 16 : 8, 3, width, height, packed, data, size);
	const size_t count = (size_t)width * height;
	const std::vector<uint32_t> pixels = decodeMerged(psd, PSD_MERGED_RGB, count);
	size_t at = 0;
	const Bytes red = referenceSamples(data, size, &at, count, wide, packed);
	const Bytes green = referenceSamples(data, size, &at, count, wide, packed);
	const Bytes blue = referenceSamples(data, size, &at, count, wide, packed);
	for (size_t i = 0; i < count; i++)
		FUZZ_CHECK(pixelIs(pixels[i], blue[i], green[i], red[i]));
}

void decodeBitmap(uint32_t width, uint32_t height, bool packed, const uint8_t* data, size_t size)
{
	const Bytes psd = psdAround(0, 1, 1, width, height, packed, data, size);
	const std::vector<uint32_t> pixels =
	    decodeMerged(psd, PSD_MERGED_BITMAP, (size_t)width * height);
	const size_t rowBytes = (width + 7) / 8;
	size_t at = 0;
	const Bytes bits = referenceBytes(data, size, &at, rowBytes * height, packed);
	for (uint32_t y = 0; y < height; y++) {
		for (uint32_t x = 0; x < width; x++) {
			const uint8_t v = bits[y * rowBytes + x / 8] & (0x80 >> (x % 8)) ? 0 : 255;
			FUZZ_CHECK(pixelIs(pixels[(size_t)y * width + x], v, v, v));
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

// The memory form keeps bytes [first, first + count) of what the packets
// give, in a buffer of exactly count bytes.
void unpackWindow(size_t first, size_t count, const uint8_t* data, size_t size)
{
	Bytes window(count);
	psdCoreUnpackBits(data, size, first, count, window.data());
	size_t at = 0;
	const Bytes decoded = referenceBytes(data, size, &at, first + count, true);
	FUZZ_CHECK(std::equal(window.begin(), window.end(), decoded.begin() + first));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize)
{
	if (inputSize < kInputHeader)
		return 0;
	const bool wide = input[0] & 1, memory = input[0] & 2, bitmap = input[0] & 4;
	const bool packed = !(input[0] & 8);
	const uint32_t width = 1 + fuzzBig16(input + 1) % 2048;
	const uint32_t height = 1 + input[3] % 64;
	const uint8_t* data = input + kInputHeader;
	const size_t size = inputSize - kInputHeader;

	if (input[0] & 0x10)
		readPlaneSet(width, height, 1 + ((input[0] >> 5) & 3), wide, packed, data, size);
	else if (memory)
		unpackWindow(input[4], width, data, size);
	else if (bitmap)
		decodeBitmap(width, height, packed, data, size);
	else
		decodeRGB(width, height, wide, packed, data, size);
	return 0;
}
