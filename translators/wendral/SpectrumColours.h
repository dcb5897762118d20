#ifndef WENDRAL_SPECTRUM_COLOURS_H
#define WENDRAL_SPECTRUM_COLOURS_H

#include <GraphicsDefs.h>

// The output byte that an attribute value's ink and paper paint.
struct AttributeColours {
	uint8 ink[256];
	uint8 paper[256];
};

// The Spectrum's colour number n (0 to 15): bit 1 governs red, bit 2 green,
// bit 0 blue; bit 3 (bright) lifts 170 to 255.
rgb_color spectrum_color(int n);

// The screen's colour-map index of each of the 16 colour numbers.
void fill_color_index(uint8 colorIndex[16]);

// The classic reading of attributes: ink in bits 0-2, paper in bits 3-5,
// bit 6 picks the bright colours, the flash bit shows nothing. Each colour
// number n becomes colorIndex[n].
void spectrum_attribute_colours(const uint8 colorIndex[16], AttributeColours* colours);

#endif
