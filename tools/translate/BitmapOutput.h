#ifndef TRANSLATE_BITMAP_OUTPUT_H
#define TRANSLATE_BITMAP_OUTPUT_H

#include "BitmapImage.h"
#include "OutputFormat.h"
#include "PngDeflate.h"

#include <DataIO.h>

#include <cstdio>
#include <string>
#include <vector>

// The stream an add-on writes its Be bitmap into. For .bits every write goes
// straight to the file; for PNG the header is read as it comes and rows that
// arrive in one write (as the add-ons write them) are encoded from the
// add-on's own buffer, so no second copy of the image is ever made. Rows
// written piecemeal are gathered and encoded by Finish.
class BitmapOutput : public BPositionIO {
public:
	BitmapOutput(OutputFormat format, FILE* out, const color_map& palette,
		const PngCompression& compression);

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override;

	enum class Failure { kNone, kBitmap, kOutput };

	// A write to the file failed; the reason is set.
	bool OutputFailed() const { return fFailure == Failure::kOutput; }
	// Completes the output once the add-on succeeded; what went wrong and
	// why (kBitmap: the add-on's stream cannot be written as PNG).
	Failure Finish(std::string* reason);

private:
	ssize_t _WriteBits(off_t position, const uint8* bytes, size_t size);
	void _TakeHeader(off_t position, const uint8* bytes, size_t size);
	void _TakeRows(off_t position, const uint8* bytes, size_t size);
	void _Encode(const uint8* rows);
	void _Fail(Failure failure, const std::string& reason);

	OutputFormat fFormat;
	FILE* fOut;
	const color_map& fPalette;
	PngCompression fCompression;
	off_t fPosition = 0;
	off_t fFilePosition = 0;
	off_t fEnd = 0;

	uint8 fHeader[32];
	BitmapImage fImage = {};
	uint32 fDataSize = 0;
	bool fHeaderRead = false;
	bool fEncoded = false;
	std::vector<uint8> fRows;  // rows that came in pieces

	Failure fFailure = Failure::kNone;
	std::string fReason;
};

#endif
