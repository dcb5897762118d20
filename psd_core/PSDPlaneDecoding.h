#ifndef PSD_PLANE_DECODING_H
#define PSD_PLANE_DECODING_H

// The two ways a plane's bytes come out of the read buffer, raw or PackBits,
// each handing a decoded byte stream to a sink that knows where the bytes go.
// A sink has Put(const uint8*, uint32) for a run of bytes and
// Fill(uint8, uint64) for one byte repeated.
//
// Both decoders stop after exactly `count` decoded bytes and write nothing
// beyond them. Once the data has ended, the bytes still owed are zeros.

#include "PSDFileBuffer.h"

template <class Sink>
void psdCoreDecodeRaw(PSDFileBuffer& buffer, uint64 count, Sink& sink)
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

// Packets run across row and plane boundaries alike; only the byte count ends
// a plane. The bytes of a packet that reach past the end are consumed and
// dropped, so the next plane starts right behind the packet.
template <class Sink>
void psdCoreDecodePackBits(PSDFileBuffer& buffer, uint64 count, Sink& sink)
{
	const uint8* data = buffer.fileBuffer;
	uint32 offset = buffer.fileBufferOffset;
	uint32 length = buffer.fileBufferLength;
	while (count > 0 && psdCoreFileBufferEnsure(buffer, offset, length)) {
		uint32 header = data[offset++];
		if (header < 128) {
			uint32 run = header + 1;
			uint32 kept = run < count ? run : (uint32)count;
			count -= kept;
			// Usually one pass: the whole literal lies in the current block.
			while (run > 0 && psdCoreFileBufferEnsure(buffer, offset, length)) {
				uint32 chunk = length - offset < run ? length - offset : run;
				uint32 put = chunk < kept ? chunk : kept;
				sink.Put(data + offset, put);
				kept -= put;
				run -= chunk;
				offset += chunk;
			}
			count += kept;  // a literal cut short by the end of the data
		} else if (header > 128) {
			uint32 run = 257 - header;
			uint8 value = 0;
			if (psdCoreFileBufferEnsure(buffer, offset, length))
				value = data[offset++];
			uint32 kept = run < count ? run : (uint32)count;
			sink.Fill(value, kept);
			count -= kept;
		}
		// 128 is a no-op packet.
	}
	buffer.fileBufferOffset = offset;
	sink.Fill(0, count);
}

#endif
