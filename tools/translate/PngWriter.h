#ifndef TRANSLATE_PNG_WRITER_H
#define TRANSLATE_PNG_WRITER_H

#include "BitmapImage.h"

#include <cstdio>
#include <string>

// Writes the image as a PNG: B_RGBA32 as 8-bit RGBA, keeping alpha; B_CMAP8
// as a palette image whose palette is the given colour map. False with the
// reason in words on failure.
bool write_png(const BitmapImage& image, const color_map& palette, FILE* out,
	std::string* reason);

#endif
