#ifndef PSD_BYTE_READER_H
#define PSD_BYTE_READER_H

// Walks a stretch of bytes front to back: big-endian fields whose lengths
// are not trusted, from memory or from a stream. A read that would cross the
// end of the stretch, or that the stream cannot serve, fails and gives zeros,
// and every read after it fails too, so a parse can check once at the end.
//
// Positions count from the start of the memory, or of the stream.

#include <DataIO.h>
#include <SupportDefs.h>

#include <vector>

class PSDByteReader {
public:
	// The size bytes at data, which must outlive the reader.
	PSDByteReader(const uint8* data, size_t size);
	// The stream's bytes [begin, end), read through a buffer of the reader's
	// own. A stretch that claims more than the stream holds ends with it.
	PSDByteReader(BPositionIO* in, uint64 begin, uint64 end);

	bool Failed() const { return fFailed; }
	uint64 Position() const { return fPosition; }
	uint64 End() const { return fEnd; }
	uint64 Left() const { return fFailed ? 0 : fEnd - fPosition; }

	uint8 Uint8();
	uint16 Big16();
	int16 BigInt16() { return (int16)Big16(); }
	uint32 Big32();
	uint64 Big64();
	float BigFloat();
	double BigDouble();
	// A length field of 4 bytes, or of 8 where the document is a PSB.
	uint64 Length(bool wide) { return wide ? Big64() : Big32(); }
	bool Read(void* destination, size_t size);
	// Moves on (or back) to a position inside the stretch.
	bool Seek(uint64 position);
	bool Skip(uint64 count);
	// A stretch of this one: the next `length` bytes, or what is left of them.
	PSDByteReader Sub(uint64 length) const;

private:
	// The next size bytes, moved past; null, and failed, when the stretch
	// has fewer.
	const uint8* Take(size_t size);
	bool Fill(size_t size);

	BPositionIO* fIn; // null for memory
	const uint8* fData;
	uint64 fBegin;
	uint64 fEnd;
	uint64 fPosition;
	bool fFailed;
	std::vector<uint8> fBuffer; // a stream's bytes from fBufferStart on
	uint64 fBufferStart;
};

#endif
