#ifndef PSD_STREAM_READER_H
#define PSD_STREAM_READER_H

// Walks a stretch of the file front to back through a buffer: the layer
// section is many small fields, and its lengths are not trusted. A read that
// would cross the end of the stretch, or that the stream cannot serve, fails
// and every read after it fails too, so a parse can check once at the end.

#include <DataIO.h>
#include <SupportDefs.h>

#include <vector>

class PSDStreamReader {
public:
	PSDStreamReader(BPositionIO* in, uint64 begin, uint64 end);

	bool Failed() const { return fFailed; }
	uint64 Position() const { return fPosition; }
	uint64 End() const { return fEnd; }
	uint64 Left() const { return fFailed ? 0 : fEnd - fPosition; }

	uint8 Uint8();
	uint16 Big16();
	uint32 Big32();
	uint64 Big64();
	double BigDouble();
	// A length field of 4 bytes, or of 8 where the document is a PSB.
	uint64 Length(bool wide) { return wide ? Big64() : Big32(); }
	bool Read(void* destination, size_t size);
	// Moves on (or back) to a position inside the stretch.
	bool Seek(uint64 position);
	bool Skip(uint64 count);
	// A stretch of this one: the next `length` bytes, or what is left of them.
	PSDStreamReader Sub(uint64 length) const;

private:
	bool Fill(size_t size);

	BPositionIO* fIn;
	uint64 fBegin;
	uint64 fEnd;
	uint64 fPosition;
	bool fFailed;
	std::vector<uint8> fBuffer;
	uint64 fBufferStart; // stream position of fBuffer[0]
};

#endif
