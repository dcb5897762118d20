#ifndef TRANSLATE_PNG_OUTPUT_H
#define TRANSLATE_PNG_OUTPUT_H

#include "PngDeflate.h"

#include <Message.h>

#include <BitmapStream.h>

#include <cstdio>
#include <string>
#include <vector>

// The stream an add-on writes its Be bitmap into when the result is a PNG.
// Rows that arrive in one write (as the add-ons write them) are encoded from
// the add-on's own buffer, so no second copy of the image is ever made; rows
// written piecemeal are gathered, as far as they arrive, and encoded by Finish.
//
// What the PNG says of its colours comes from the add-on's extension
// message, which the add-on fills before it writes the pixels.
class PngOutput : public BPrivate::BitmapStreamReader {
public:
	PngOutput(FILE* out, const color_map& palette, const PngCompression& compression,
	          const BMessage& extension);

	// Encodes what the add-on wrote once it has succeeded: kNone, kBitmap when
	// the stream cannot become a PNG, kHost when writing the file failed; the
	// reason is in Reason().
	Fault Finish();
	// Said once the PNG is written: why it went without its colour chunk.
	const std::string& Warning() const { return fWarning; }

protected:
	void HeaderArrived(const BPrivate::BitmapImage& image) override;
	void RowsArrived(uint64 offset, const uint8* bytes, size_t size) override;

private:
	void _Encode(const uint8* rows);

	FILE* fOut;
	const color_map& fPalette;
	PngCompression fCompression;
	const BMessage& fExtension;
	std::string fWarning;
	bool fEncoded = false;
	std::vector<uint8> fRows; // rows that came in pieces
};

#endif
