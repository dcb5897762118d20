#include "PngOutput.h"

#include "PngWriter.h"

#include <cerrno>
#include <cstring>
#include <new>

PngOutput::PngOutput(FILE* out, const color_map& palette, const PngCompression& compression,
                     const BMessage& extension)
    : fOut(out), fPalette(palette), fCompression(compression), fExtension(extension)
{
}

void PngOutput::HeaderArrived(const BPrivate::BitmapImage&) {}

void PngOutput::RowsArrived(uint64 offset, const uint8* bytes, size_t size)
{
	if (fEncoded)
		return;
	if (offset == 0 && size == DataSize() && fRows.empty()) {
		_Encode(bytes);
		return;
	}
	// Grown only as far as rows arrive: the header alone must not make us
	// allocate what it claims.
	if (fRows.size() < offset + size) {
		try {
			fRows.resize(offset + size);
		} catch (const std::bad_alloc&) {
			Fail(kHost, strerror(ENOMEM));
			return;
		}
	}
	memcpy(fRows.data() + offset, bytes, size);
}

void PngOutput::_Encode(const uint8* rows)
{
	BPrivate::BitmapImage image = Image();
	image.bits = rows;
	std::string reason;
	if (!write_png(image, fPalette, fCompression, png_colour(fExtension), fOut, &reason, &fWarning))
		Fail(kHost, reason);
	fEncoded = true;
	std::vector<uint8>().swap(fRows);
}

PngOutput::Fault PngOutput::Finish()
{
	if (BitmapStreamReader::Finish() != kNone || fEncoded)
		return Failed();
	// Rows written past a gap leave the gap unfilled.
	if (fRows.size() < DataSize())
		Fail(kBitmap, "its bitmap's row bytes, data size and length do not agree");
	else
		_Encode(fRows.data());
	return Failed();
}
