#ifndef TRANSLATE_PNG_WRITER_H
#define TRANSLATE_PNG_WRITER_H

#include "PngDeflate.h"
#include <BitmapStream.h>

#include <cstdio>
#include <string>

// Writes the image as an 8-bit PNG of the smallest colour type that holds
// its pixels exactly (see png_color_type); B_CMAP8 as a palette image whose
// palette is the given colour map. Rows are filtered adaptively (palette
// rows are not) and compressed as `compression` says. False with the reason
// in words on failure.
bool write_png(const BPrivate::BitmapImage& image, const color_map& palette,
               const PngCompression& compression, FILE* out, std::string* reason);

#endif
