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

#endif
