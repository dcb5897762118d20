#ifndef PSD_INFLATE_H
#define PSD_INFLATE_H

// ZIP-compressed image data: one zlib stream over planes (or rows) stored
// one after another, optionally with prediction, which is undone row by row
// once inflated.

#include <DataIO.h>
#include <SupportDefs.h>

#include <zlib.h>

#include <memory>

// Inflates a zlib stream of the file as its bytes are asked for. Past the
// end of the stream, or of what a damaged stream gave, it hands out zeros:
// a stream that inflates to more than is asked is cut there, one that
// inflates to less leaves zeros.
class PSDInflater {
public:
	// The stream takes up to `length` bytes of the file from `offset` on,
	// read inputSize bytes at a time.
	PSDInflater(BPositionIO* in, uint64 offset, uint64 length, size_t inputSize = 65536);
	~PSDInflater();

	// B_NO_MEMORY when zlib could not be set up; nothing can be read then.
	status_t InitCheck() const { return fStatus; }
	void Read(uint8* destination, size_t size);
	// True once the stream has given all it had: every later byte is 0.
	bool Ended() const { return fEnded; }

private:
	PSDInflater(const PSDInflater&) = delete;
	PSDInflater& operator=(const PSDInflater&) = delete;

	bool Refill();

	z_stream fStream;
	status_t fStatus;
	bool fEnded;
	BPositionIO* fIn;
	uint64 fNext;
	uint64 fLeft;
	size_t fInputSize;
	std::unique_ptr<uint8[]> fInput;
};

// Undoes ZIP prediction on one row of `width` samples: 1-byte samples are
// byte deltas, 2-byte samples big-endian deltas modulo 65536, and 4-byte
// rows are byte deltas along the row's four byte planes (all first bytes,
// then all second bytes, ...), which are interleaved back into big-endian
// samples. `scratch` holds a row for the last.
void psdCoreUnpredictRow(uint8* row, uint32 width, uint32 sampleBytes, uint8* scratch);

#endif
