#ifndef DESKTOP_BITMAP_SINK_H
#define DESKTOP_BITMAP_SINK_H

#include <DataIO.h>
#include <GraphicsDefs.h>
#include <TranslatorFormats.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <functional>
#include <string>

#include "BitmapImage.h"

// The most pixels this loader turns into a pixbuf: 2^28, which is 1 GiB as
// 8-bit RGBA. The loader runs inside other people's programs, so an image
// header must not be able to make it take more than a bounded share of
// memory; 2^28 pixels is 16384 x 16384, larger than what image viewers and
// thumbnailers are asked to show in practice.
const uint64 kMaxPixbufPixels = (uint64)1 << 28;

// An output stream for an add-on's Translate that turns the Be bitmap
// stream written into it into an RGBA GdkPixbuf as the bytes arrive, so the
// bitmap is never held twice. The header is checked as soon as its 32 bytes
// are in, before anything is allocated; a header that fails the checks
// makes that Write fail, which ends the add-on's Translate. The stream only
// grows at its end: writing elsewhere fails.
class BitmapSink : public BPositionIO {
public:
	enum Failure {
		kNone,
		kBadHeader,  // Reason() says why
		kTooLarge,   // more than kMaxPixbufPixels
		kDeclined,   // the size check said no
		kNoMemory,   // the pixbuf could not be allocated
	};

	// Asked with the image size once the header passed the checks, before
	// the pixbuf is allocated; false declines the image.
	typedef std::function<bool(uint32 width, uint32 height)> SizeCheck;

	// colors: the colour map for B_CMAP8 bitmaps, copied.
	BitmapSink(const color_map& colors, SizeCheck sizeCheck = SizeCheck());
	virtual ~BitmapSink();

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size);
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size);
	virtual off_t Seek(off_t position, uint32 seekMode);
	virtual off_t Position() const;

	Failure Failed() const { return fFailure; }
	const std::string& Reason() const { return fReason; }
	bool HeaderSeen() const { return fHeaderSeen; }
	// The header's size; valid once HeaderSeen().
	uint32 Width() const { return fImage.width; }
	uint32 Height() const { return fImage.height; }
	// True when every pixel row has arrived.
	bool Complete() const;
	// The finished pixbuf, owned by the caller; null unless Complete().
	GdkPixbuf* TakePixbuf();

private:
	Failure _AcceptHeader();
	void _ConvertSpan(uint64 offset, const uint8* bytes, size_t size);
	void _ConvertRGBA32(guchar* row, uint32 column, const uint8* bytes, size_t size);
	void _ConvertCMAP8(guchar* row, uint32 column, const uint8* bytes, size_t size);

	color_map fColors;
	SizeCheck fSizeCheck;
	uint8 fHeader[sizeof(TranslatorBitmap)];
	bool fHeaderSeen;
	BitmapImage fImage;
	uint32 fDataSize;
	uint64 fReceived;  // bytes written so far, header included
	Failure fFailure;
	std::string fReason;
	GdkPixbuf* fPixbuf;
};

#endif
