#ifndef TRANSLATE_PNG_WRITER_H
#define TRANSLATE_PNG_WRITER_H

#include "PngColour.h"
#include "PngDeflate.h"
#include <BitmapStream.h>

#include <cstdio>
#include <string>

// Writes the image as an 8-bit PNG of the smallest colour type that holds
// its pixels exactly (see png_color_type; RGB rather than gray for samples
// in an RGB profile); B_CMAP8 as a palette image whose palette is the given
// colour map. Rows are filtered adaptively (palette rows are not) and
// compressed as `compression` says. Colour images carry the colour's chunk;
// where libpng refuses it the PNG goes without, and *warning says why.
// False with the reason in words on failure.
bool write_png(const BPrivate::BitmapImage& image, const color_map& palette,
               const PngCompression& compression, const PngColour& colour, FILE* out,
               std::string* reason, std::string* warning);

#endif
