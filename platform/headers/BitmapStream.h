#ifndef _BITMAP_STREAM_H
#define _BITMAP_STREAM_H

// The Be bitmap stream that add-ons produce: a TranslatorBitmap header, every
// field big-endian, then the pixel rows. Add-ons write it with
// write_bitmap_stream; hosts read it through a BitmapStreamReader and never
// parse it on their own.

#include <ByteOrder.h>
#include <DataIO.h>
#include <GraphicsDefs.h>
#include <TranslatorFormats.h>
#include <WriteOnlyIO.h>

#include <string>

namespace BPrivate {

// Swaps every field of the header between host and stream order.
void swap_bitmap_header(TranslatorBitmap* header, swap_action action);

// A header in host order for width x height pixels (both at least 1) in
// rows of rowBytes.
TranslatorBitmap bitmap_header(uint32 width, uint32 height, color_space colors, uint32 rowBytes);

// Writes the header (given in host order) in one Write: B_OK, or B_ERROR
// when the destination took less.
status_t write_bitmap_header(BPositionIO* destination, TranslatorBitmap header);

// The header, then header.dataSize bytes of rows in a second Write.
status_t write_bitmap_stream(BPositionIO* destination, const TranslatorBitmap& header,
                             const void* rows);

// The pixels of a Be bitmap stream as hosts see them; bits points into
// memory that the host holds, or is null while the rows are still coming.
struct BitmapImage {
	color_space colors;
	uint32 width;
	uint32 height;
	uint32 rowBytes;
	const uint8* bits;
};

// Bytes per pixel of the colour spaces that hosts take (B_RGBA32, B_CMAP8);
// 0 for others.
uint32 bytes_per_pixel(color_space colors);

// Reads the 32 header bytes at stream and checks that the fields agree and
// describe at least one pixel of a colour space hosts take; bits is left
// null and dataSize gets the byte count of the rows. False with the reason
// in words if not.
bool read_bitmap_header(const void* stream, BitmapImage* image, uint32* dataSize,
                        std::string* reason);

// The stream a host hands to an add-on's Translate, read as the add-on
// writes it: the header is checked as soon as its 32 bytes are in, before the
// host allocates anything, and the rows are passed on in the pieces they come
// in, without a copy. Writes may land anywhere; bytes past the rows are
// ignored. A bitmap the host cannot use is still taken to its end, so that the
// add-on finishes and the fault is told as the bitmap's; a failure of the
// host's own (kHost) makes every later write fail.
class BitmapStreamReader : public WriteOnlyIO {
public:
	enum Fault {
		kNone,
		kBitmap, // the stream is no bitmap the host can use
		kHost,   // the host could not keep what it was given
	};

	BitmapStreamReader();

	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;

	bool HeaderRead() const { return fHeaderRead; }
	// The header's image (bits null); valid once HeaderRead().
	const BitmapImage& Image() const { return fImage; }
	uint32 DataSize() const { return fDataSize; }
	Fault Failed() const { return fFault; }
	const std::string& Reason() const { return fReason; }

	// True when no fault came and every row has arrived.
	bool Complete() const;
	// For the host once Translate has returned: the fault so far, or kBitmap
	// when the stream ended before its last row.
	Fault Finish();

protected:
	// The header passed the checks; the host may still refuse it with Fail.
	virtual void HeaderArrived(const BitmapImage& image) = 0;
	// size bytes of the rows, starting offset bytes into them.
	virtual void RowsArrived(uint64 offset, const uint8* bytes, size_t size) = 0;
	// The first fault stands; the rows are no longer passed on.
	void Fail(Fault fault, const std::string& reason);

private:
	void _TakeHeader(off_t position, const uint8* bytes, size_t size);

	uint8 fHeader[sizeof(TranslatorBitmap)];
	bool fHeaderRead;
	BitmapImage fImage;
	uint32 fDataSize;
	Fault fFault;
	std::string fReason;
};

} // namespace BPrivate

#endif
