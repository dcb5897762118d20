#ifndef PSD_PLANE_DECODING_H
#define PSD_PLANE_DECODING_H

// The two ways a plane's bytes come out of a read buffer, raw or PackBits,
// each handing a decoded byte stream to a sink that knows where the bytes go.
// A sink has Put(const uint8*, uint32) for a run of bytes and
// Fill(uint8, uint64) for one byte repeated. Put may read up to
// PSD_FILE_BUFFER_SLACK bytes past a run that starts inside the block.
//
// Both decoders stop after exactly `count` decoded bytes and write nothing
// beyond them. Once the data has ended, the bytes still owed are zeros.

#include "PSDFileBuffer.h"

template <class Sink> void psdCoreDecodeRaw(PSDFileBuffer& buffer, uint64 count, Sink& sink)
{
	const uint8* data = buffer.fileBuffer;
	uint32 offset = buffer.fileBufferOffset;
	uint32 length = buffer.fileBufferLength;
	while (count > 0 && psdCoreFileBufferEnsure(buffer, offset, length)) {
		uint32 chunk = length - offset;
		if (chunk > count)
			chunk = (uint32)count;
		sink.Put(data + offset, chunk);
		offset += chunk;
		count -= chunk;
	}
	buffer.fileBufferOffset = offset;
	sink.Fill(0, count);
}

// The part of a packet that a span of a plane cut off: repeats still owed,
// or literal bytes still waiting in the input.
struct PSDPackBitsRest {
	uint32 repeat;
	uint32 literal;
	uint8 value;
};

// Decodes the next `count` bytes of a PackBits plane whose decoding may be
// split into spans; `rest` carries a packet from one span into the next.
// Packets run across row and plane boundaries alike.
template <class Sink>
void psdCoreDecodePackBitsSpan(PSDFileBuffer& buffer, PSDPackBitsRest& rest, uint64 count,
                               Sink& sink)
{
	const uint8* data = buffer.fileBuffer;
	uint32 offset = buffer.fileBufferOffset;
	uint32 length = buffer.fileBufferLength;
	while (count > 0) {
		if (rest.repeat > 0) {
			uint32 run = rest.repeat < count ? rest.repeat : (uint32)count;
			sink.Fill(rest.value, run);
			rest.repeat -= run;
			count -= run;
			continue;
		}
		if (rest.literal > 0) {
			if (!psdCoreFileBufferEnsure(buffer, offset, length)) {
				rest.literal = 0; // cut short by the end of the data
				break;
			}
			uint32 run = length - offset < rest.literal ? length - offset : rest.literal;
			if (run > count)
				run = (uint32)count;
			sink.Put(data + offset, run);
			offset += run;
			rest.literal -= run;
			count -= run;
			continue;
		}
		// Whole packets that lie inside the block and inside the span: the
		// bounds are settled once per packet, not per byte.
		while (length - offset > 128 && count >= 128) {
			uint32 header = data[offset];
			if (header < 128) {
				sink.Put(data + offset + 1, header + 1);
				offset += header + 2;
				count -= header + 1;
			} else if (header > 128) {
				sink.Fill(data[offset + 1], 257 - header);
				offset += 2;
				count -= 257 - header;
			} else {
				offset++; // 128 is a no-op packet
			}
		}
		if (count == 0 || !psdCoreFileBufferEnsure(buffer, offset, length))
			break;
		uint32 header = data[offset++];
		if (header < 128) {
			rest.literal = header + 1;
		} else if (header > 128) {
			rest.repeat = 257 - header;
			rest.value = psdCoreFileBufferEnsure(buffer, offset, length) ? data[offset++] : 0;
		}
	}
	buffer.fileBufferOffset = offset;
	sink.Fill(0, count);
}

// Ends a plane: the bytes of a packet that reach past its end are consumed
// and dropped, so the next plane starts right behind the packet.
inline void psdCoreDropPackBitsRest(PSDFileBuffer& buffer, PSDPackBitsRest& rest)
{
	uint32 offset = buffer.fileBufferOffset;
	uint32 length = buffer.fileBufferLength;
	while (rest.literal > 0 && psdCoreFileBufferEnsure(buffer, offset, length)) {
		uint32 run = length - offset < rest.literal ? length - offset : rest.literal;
		offset += run;
		rest.literal -= run;
	}
	buffer.fileBufferOffset = offset;
	rest = PSDPackBitsRest();
}

// A whole plane of `count` bytes.
template <class Sink> void psdCoreDecodePackBits(PSDFileBuffer& buffer, uint64 count, Sink& sink)
{
	PSDPackBitsRest rest = PSDPackBitsRest();
	psdCoreDecodePackBitsSpan(buffer, rest, count, sink);
	psdCoreDropPackBitsRest(buffer, rest);
}

#endif
