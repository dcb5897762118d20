#ifndef WENDRAL_ATTRIBUTE_RENDERER_H
#define WENDRAL_ATTRIBUTE_RENDERER_H

#include "SpectrumColours.h"

// Both draw the 6144-byte bitmap into 256 x 192 output bytes, ink where a
// bit is set and paper where it is clear, as the colours give them for the
// attribute that governs the pixel.

// One attribute per 8 x 8 cell: 24 rows of 32 in reading order.
void render_cells(const uint8* bitmap, const uint8* attributes, const AttributeColours& colours,
                  uint8* pixels);

// One attribute per 8 x 1 cell, stored in the bitmap's own order: the
// attribute of a bitmap byte sits at the same offset from `attributes`.
void render_lines(const uint8* bitmap, const uint8* attributes, const AttributeColours& colours,
                  uint8* pixels);

#endif
