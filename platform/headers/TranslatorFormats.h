#ifndef _TRANSLATOR_FORMATS_H
#define _TRANSLATOR_FORMATS_H

#include <GraphicsDefs.h>
#include <Rect.h>

#include <cstddef>

enum {
	B_TRANSLATOR_BITMAP = 0x62697473, // 'bits'
};

// Header of a Be bitmap stream; every field is big-endian in the stream.
struct TranslatorBitmap {
	uint32 magic;
	BRect bounds;
	uint32 rowBytes;
	color_space colors;
	uint32 dataSize;
};

static_assert(sizeof(TranslatorBitmap) == 32, "the Be bitmap header is 32 bytes");
static_assert(offsetof(TranslatorBitmap, bounds) == 4 &&
                  offsetof(TranslatorBitmap, rowBytes) == 20 &&
                  offsetof(TranslatorBitmap, colors) == 24 &&
                  offsetof(TranslatorBitmap, dataSize) == 28,
              "TranslatorBitmap has the stream's field offsets");
static_assert(sizeof(color_space) == sizeof(uint32), "colors is a 32-bit field");

#define B_TRANSLATOR_EXT_BITMAP_COLOR_SPACE "/bitmap_color_space"

// A string an add-on adds to the extension message when its Translate
// fails: one line saying why, for the host to show.
#define B_TRANSLATOR_EXT_FAILURE_REASON "/failure_reason"

// A bool a host sets to have Translate write the bitmap's header alone, as
// on the platform: a host learns the size before anything is decoded.
#define B_TRANSLATOR_EXT_HEADER_ONLY "/headerOnly"

// A point a host adds to the extension message to ask for a bitmap that
// fits a box: x the most columns, y the most rows, each at least 1. An
// add-on that honours it scales the image down to the largest size that
// fits, aspect kept, never up; one that does not writes its usual bitmap,
// so the host still checks the size it gets.
#define B_TRANSLATOR_EXT_SIZE_BOX "/size_box"

// An int32 a host adds to ask for the image's colours managed:
// B_TRANSLATOR_COLOR_SRGB for a bitmap in sRGB, converted through the
// image's own colour profile; B_TRANSLATOR_COLOR_KEEP_PROFILE for the
// samples of images whose profile a host can keep with them (RGB and
// grayscale ones) as stored, the profile handed back, and the others as
// with B_TRANSLATOR_COLOR_SRGB. Without the field an add-on writes its usual
// bitmap. An add-on that honours it says in the fields below what the
// bitmap's colours are, before it writes the pixels (so that the host's
// output stream can use them as the rows arrive); one that does not leaves
// them out.
#define B_TRANSLATOR_EXT_COLOR_MANAGEMENT "/color_management"
enum {
	B_TRANSLATOR_COLOR_SRGB = 1,
	B_TRANSLATOR_COLOR_KEEP_PROFILE = 2,
};

// Written back: a bool, true when the bitmap's colours are sRGB.
#define B_TRANSLATOR_EXT_COLOR_SRGB "/color_srgb"

// Written back (B_RAW_TYPE): the ICC profile the bitmap's colours are in,
// when the samples were kept as stored.
#define B_TRANSLATOR_EXT_COLOR_PROFILE "/color_profile"

// Written back (a string) on success: one line on colours that did not stop
// the translation, e.g. an embedded profile ignored because it is damaged.
// Never the failure reason.
#define B_TRANSLATOR_EXT_COLOR_NOTE "/color_note"

#endif
