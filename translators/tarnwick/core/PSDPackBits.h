#ifndef PSD_PACK_BITS_H
#define PSD_PACK_BITS_H

// PackBits as PSD files pack image rows: a header byte n, then n + 1 bytes
// as they are (n < 128) or one byte repeated 257 - n times (n > 128); 128 is
// a no-op. One decoder serves every reader, in two forms: spans of a plane
// streamed through a read buffer, a packet carried from span to span (the
// merged image, whose packets run across rows and planes), and a bounded
// run of packets in memory cut to a window of a row (layer channels,
// patterns).
//
// Packets come from a source: a PSDFileBuffer, or PSDPackBitsMemory. Bytes
// [offset, length) of its Data() are at hand, and Refill() replaces them with
// the next ones, false once the data has ended. Decoded bytes go to a sink,
// which has Put(const uint8*, uint32) for a run of bytes and
// Fill(uint8, uint64) for one byte repeated.
//
// However damaged the packets, the decoder hands the sink exactly the number
// of bytes asked for; once the data has ended, the bytes still owed are
// zeros.

#include <SupportDefs.h>

#include <cstring>

// Bytes in memory, all at hand at once.
struct PSDPackBitsMemory {
	typedef size_t Offset;

	const uint8* data;
	size_t offset;
	size_t length;

	const uint8* Data() const { return data; }
	bool Refill()
	{
		offset = length = 0;
		return false;
	}
};

// Makes offset < length true, refilling if needed; false once the data has
// ended. Decoders keep offset and length in locals so that stores through a
// sink cannot alias them.
template <class Source>
inline bool psdCoreSourceEnsure(Source& source, typename Source::Offset& offset,
                                typename Source::Offset& length)
{
	if (offset < length)
		return true;
	const bool delivered = source.Refill();
	offset = source.offset;
	length = source.length;
	return delivered;
}

// The part of a packet that a span cut off: repeats still owed, or literal
// bytes still waiting in the input.
struct PSDPackBitsRest {
	uint32 repeat;
	uint32 literal;
	uint8 value;
};

// Decodes the next `count` bytes of packed data whose decoding may be split
// into spans; `rest` carries a packet from one span into the next.
template <class Source, class Sink>
void psdCoreDecodePackBitsSpan(Source& source, PSDPackBitsRest& rest, uint64 count, Sink& sink)
{
	typedef typename Source::Offset Offset;
	const uint8* data = source.Data();
	Offset offset = source.offset;
	Offset length = source.length;
	while (count > 0) {
		if (rest.repeat > 0) {
			const uint32 run = rest.repeat < count ? rest.repeat : (uint32)count;
			sink.Fill(rest.value, run);
			rest.repeat -= run;
			count -= run;
			continue;
		}
		if (rest.literal > 0) {
			if (!psdCoreSourceEnsure(source, offset, length)) {
				rest.literal = 0; // cut short by the end of the data
				break;
			}
			uint32 run = length - offset < rest.literal ? (uint32)(length - offset) : rest.literal;
			if (run > count)
				run = (uint32)count;
			sink.Put(data + offset, run);
			offset += run;
			rest.literal -= run;
			count -= run;
			continue;
		}
		// Whole packets that lie inside the data at hand and inside the span:
		// the bounds are settled once per packet, not per byte.
		while (length - offset > 128 && count >= 128) {
			const uint32 header = data[offset];
			if (header < 128) {
				sink.Put(data + offset + 1, header + 1);
				offset += header + 2;
				count -= header + 1;
			} else if (header > 128) {
				sink.Fill(data[offset + 1], 257 - header);
				offset += 2;
				count -= 257 - header;
			} else {
				offset++;
			}
		}
		if (count == 0 || !psdCoreSourceEnsure(source, offset, length))
			break;
		const uint32 header = data[offset++];
		if (header < 128) {
			rest.literal = header + 1;
		} else if (header > 128) {
			rest.repeat = 257 - header;
			rest.value = psdCoreSourceEnsure(source, offset, length) ? data[offset++] : 0;
		}
	}
	source.offset = offset;
	sink.Fill(0, count);
}

// Ends a plane: the bytes of a packet that reach past its end are consumed
// and dropped, so the next plane starts right behind the packet.
template <class Source> void psdCoreDropPackBitsRest(Source& source, PSDPackBitsRest& rest)
{
	typename Source::Offset offset = source.offset;
	typename Source::Offset length = source.length;
	while (rest.literal > 0 && psdCoreSourceEnsure(source, offset, length)) {
		const uint32 run =
		    length - offset < rest.literal ? (uint32)(length - offset) : rest.literal;
		offset += run;
		rest.literal -= run;
	}
	source.offset = offset;
	rest = PSDPackBitsRest();
}

// Sinks: one that keeps nothing (to walk packets), one that writes the
// bytes out one after another.
struct PSDPackBitsSkipSink {
	void Put(const uint8*, uint32) {}
	void Fill(uint8, uint64) {}
};

struct PSDPackBitsCopySink {
	uint8* next;

	void Put(const uint8* bytes, uint32 count)
	{
		memcpy(next, bytes, count);
		next += count;
	}
	void Fill(uint8 value, uint64 count)
	{
		memset(next, value, count);
		next += count;
	}
};

// Decodes the packets in [packets, packets + size) and writes bytes [first,
// first + count) of what they give to out. Packets that end early leave
// zeros; packets past the window are not read.
void psdCoreUnpackBits(const uint8* packets, size_t size, uint64 first, size_t count, uint8* out);

#endif
