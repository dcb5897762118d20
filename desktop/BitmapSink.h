#ifndef DESKTOP_BITMAP_SINK_H
#define DESKTOP_BITMAP_SINK_H

#include <BitmapStream.h>
#include <GraphicsDefs.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <functional>

// The most pixels this loader turns into a pixbuf: 2^28, which is 1 GiB as
// 8-bit RGBA. The loader runs inside other people's programs, so an image
// header must not be able to make it take more than a bounded share of
// memory; 2^28 pixels is 16384 x 16384, larger than what image viewers show
// in practice. It bounds the pixbuf made, not the image: a smaller size asked
// for a larger image is read reduced.
const uint64 kMaxPixbufPixels = (uint64)1 << 28;

// The stream an add-on's Translate writes its Be bitmap into, turned into an
// RGBA GdkPixbuf as the rows arrive, so the bitmap is never held twice. The
// pixbuf is allocated once the header has passed the checks, the size
// request and the limit; a refusal fails the add-on's writes, so that it
// stops before making pixels nobody takes.
class BitmapSink : public BPrivate::BitmapStreamReader {
public:
	enum Failure {
		kNone,
		kBadHeader, // Reason() says why
		kTooLarge,  // more than kMaxPixbufPixels
		kDeclined,  // the size request asked for no pixels
		kSmaller,   // the size request asked for less: AskedWidth() x AskedHeight()
		kNoMemory,  // the pixbuf could not be allocated
	};

	// Given the image size once the header passed the checks, before the
	// limit and any allocation; it may lower either side, or set one to 0 to
	// decline the image.
	typedef std::function<void(uint32* width, uint32* height)> SizeRequest;

	// colors: the colour map for B_CMAP8 bitmaps, copied.
	BitmapSink(const color_map& colors, SizeRequest sizeRequest = SizeRequest());
	~BitmapSink() override;

	Failure Refusal() const;
	// The header's size; valid once HeaderRead().
	uint32 Width() const { return Image().width; }
	uint32 Height() const { return Image().height; }
	// What the size request asked for; valid for kSmaller.
	uint32 AskedWidth() const { return fAskedWidth; }
	uint32 AskedHeight() const { return fAskedHeight; }
	// The finished pixbuf, owned by the caller; null unless Complete().
	GdkPixbuf* TakePixbuf();

protected:
	void HeaderArrived(const BPrivate::BitmapImage& image) override;
	void RowsArrived(uint64 offset, const uint8* bytes, size_t size) override;

private:
	void _Refuse(Failure refusal, const char* reason);
	void _ConvertRGBA32(guchar* row, uint32 column, const uint8* bytes, size_t size);
	void _ConvertCMAP8(guchar* row, uint32 column, const uint8* bytes, size_t size);

	color_map fColors;
	SizeRequest fSizeRequest;
	Failure fRefusal;
	uint32 fAskedWidth;
	uint32 fAskedHeight;
	GdkPixbuf* fPixbuf;
};

#endif
