#ifndef DESKTOP_BITMAP_SINK_H
#define DESKTOP_BITMAP_SINK_H

#include <BitmapStream.h>
#include <GraphicsDefs.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <functional>

// The most pixels this loader turns into a pixbuf: 2^28, which is 1 GiB as
// 8-bit RGBA. The loader runs inside other people's programs, so an image
// header must not be able to make it take more than a bounded share of
// memory; 2^28 pixels is 16384 x 16384, larger than what image viewers and
// thumbnailers are asked to show in practice.
const uint64 kMaxPixbufPixels = (uint64)1 << 28;

// The stream an add-on's Translate writes its Be bitmap into, turned into an
// RGBA GdkPixbuf as the rows arrive, so the bitmap is never held twice. The
// pixbuf is allocated once the header has passed the checks and the limit.
class BitmapSink : public BPrivate::BitmapStreamReader {
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
	~BitmapSink() override;

	Failure Refusal() const;
	// The header's size; valid once HeaderRead().
	uint32 Width() const { return Image().width; }
	uint32 Height() const { return Image().height; }
	// The finished pixbuf, owned by the caller; null unless Complete().
	GdkPixbuf* TakePixbuf();

protected:
	void HeaderArrived(const BPrivate::BitmapImage& image) override;
	void RowsArrived(uint64 offset, const uint8* bytes, size_t size) override;

private:
	void _Refuse(Failure refusal, Fault fault, const char* reason);
	void _ConvertRGBA32(guchar* row, uint32 column, const uint8* bytes, size_t size);
	void _ConvertCMAP8(guchar* row, uint32 column, const uint8* bytes, size_t size);

	color_map fColors;
	SizeCheck fSizeCheck;
	Failure fRefusal;
	GdkPixbuf* fPixbuf;
};

#endif
