#ifndef WENDRAL_SCREEN_FORMS_H
#define WENDRAL_SCREEN_FORMS_H

// The screen forms Wendral reads, told apart by the stream's length (and a
// +3DOS file by its header), and the bitmap each one becomes.

#include <GraphicsDefs.h>
#include <TranslationDefs.h>

#include <sys/types.h>

enum ScreenForm {
	kNoScreen,
	kClassic,       // the 6912-byte screen, bare or inside a headed layout
	kPixelsOnly,    // 6144 bitmap bytes, black ink on white paper
	kULAplus,       // a screen and its 64-entry palette
	kPlus3DOS,      // a screen behind a 128-byte +3DOS header
	kTimexHiColour, // a bitmap and an attribute per 8 x 1 cell
	kTimexHiRes,    // two bitmaps side by side, 512 x 192, and a mode byte
	kGigascreen,    // two screens shown on alternate frames
};

struct FoundScreen {
	ScreenForm form;
	size_t start; // where the form's own bytes begin in the stream
};

// One byte more than the longest stream read, so that a single Read tells
// the longest form from a longer stream.
const size_t kReadBytes = 13824 + 1;

// 6144 and 12288 bytes are lengths of too many other files to go by alone:
// they count only when the host has said the stream is a SCREEN$.
FoundScreen find_screen(const uint8* stream, ssize_t length, bool saidToBeScreen);

// True when a host's format hint names a SCREEN$: the type code 'ZX  ', or
// the MIME type "image/x-zx" (Wendral's own) or "image/x-zx-screen" (the
// desktop's, which *.scr files get).
bool hint_names_screen(const translation_format* hint);

struct BitmapShape {
	int width;
	int height;
	color_space colors; // B_CMAP8 or B_RGBA32
	size_t rowBytes;
	size_t DataSize() const { return rowBytes * height; }
};

BitmapShape bitmap_shape(ScreenForm form);

#endif
