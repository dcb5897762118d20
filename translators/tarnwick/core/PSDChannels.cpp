#include "PSDChannels.h"

#include "PSDPlaneDecoding.h"

namespace {

// Wide samples are two bytes, of which only the first reaches the image;
// `phase` is 1 while the next byte of the stream is a second byte.

template <bool Wide> struct PlaneByteSink {
	uint8* next;
	uint32 phase;

	void Put(const uint8* bytes, uint32 count)
	{
		if (!Wide) {
			for (uint32 i = 0; i < count; i++)
				next[4 * i] = bytes[i];
			next += 4 * (size_t)count;
			return;
		}
		uint32 i = phase;
		for (; i < count; i += 2) {
			*next = bytes[i];
			next += 4;
		}
		phase = i - count;
	}

	void Fill(uint8 value, uint64 count)
	{
		uint64 samples = count;
		if (Wide) {
			samples = (count + 1 - phase) / 2;
			phase = (uint32)((phase + count) & 1);
		}
		for (uint64 i = 0; i < samples; i++)
			next[4 * i] = value;
		next += 4 * samples;
	}
};

template <bool Wide> struct MappedSink {
	uint32* next;
	const uint32* table;
	uint32 phase;

	void Put(const uint8* bytes, uint32 count)
	{
		if (!Wide) {
			for (uint32 i = 0; i < count; i++)
				next[i] = table[bytes[i]];
			next += count;
			return;
		}
		uint32 i = phase;
		for (; i < count; i += 2)
			*next++ = table[bytes[i]];
		phase = i - count;
	}

	void Fill(uint8 value, uint64 count)
	{
		uint64 samples = count;
		if (Wide) {
			samples = (count + 1 - phase) / 2;
			phase = (uint32)((phase + count) & 1);
		}
		const uint32 word = table[value];
		for (uint64 i = 0; i < samples; i++)
			next[i] = word;
		next += samples;
	}
};

template <bool Wide> void readBytePlane(uint32 width, uint32 height, uint8* first, bool packed)
{
	PlaneByteSink<Wide> sink = {first, 0};
	uint64 count = (uint64)width * height * (Wide ? 2 : 1);
	PSDFileBuffer& buffer = psdCoreFileBufferState();
	if (packed)
		psdCoreDecodePackBits(buffer, count, sink);
	else
		psdCoreDecodeRaw(buffer, count, sink);
}

template <bool Wide>
void readMappedPlane(uint32 width, uint32 height, uint32* pixels, const uint32* table, bool packed)
{
	MappedSink<Wide> sink = {pixels, table, 0};
	uint64 count = (uint64)width * height * (Wide ? 2 : 1);
	PSDFileBuffer& buffer = psdCoreFileBufferState();
	if (packed)
		psdCoreDecodePackBits(buffer, count, sink);
	else
		psdCoreDecodeRaw(buffer, count, sink);
}

} // namespace

void psdCoreReadChannel8Bits(uint32 width, uint32 height, uint8* first)
{
	readBytePlane<false>(width, height, first, false);
}

void psdCoreReadChannel16Bits(uint32 width, uint32 height, uint8* first)
{
	readBytePlane<true>(width, height, first, false);
}

void psdCoreReadChannelMapped(uint32 width, uint32 height, uint32* pixels, const uint32* table,
                              bool is16Bits)
{
	if (is16Bits)
		readMappedPlane<true>(width, height, pixels, table, false);
	else
		readMappedPlane<false>(width, height, pixels, table, false);
}

void psdCoreReadChannel8BitsCompressed(uint32 width, uint32 height, uint8* first)
{
	readBytePlane<false>(width, height, first, true);
}

void psdCoreReadChannel16BitsCompressed(uint32 width, uint32 height, uint8* first)
{
	readBytePlane<true>(width, height, first, true);
}

void psdCoreReadChannelMappedCompressed(uint32 width, uint32 height, uint32* pixels,
                                        const uint32* table, bool is16Bits)
{
	if (is16Bits)
		readMappedPlane<true>(width, height, pixels, table, true);
	else
		readMappedPlane<false>(width, height, pixels, table, true);
}

void psdCoreFillAlpha(uint32 width, uint32 height, uint32* pixels)
{
	const uint32 opaque = psdCorePixel(0, 0, 0, 255);
	uint64 total = (uint64)width * height;
	for (uint64 i = 0; i < total; i++)
		pixels[i] |= opaque;
}
