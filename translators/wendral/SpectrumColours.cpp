#include "SpectrumColours.h"

#include <Screen.h>

rgb_color spectrum_color(int n)
{
	uint8 level = (n & 8) ? 255 : 170;
	return make_color((n & 2) ? level : 0, (n & 4) ? level : 0, (n & 1) ? level : 0, 255);
}

void fill_color_index(uint8 colorIndex[16])
{
	BScreen screen(B_MAIN_SCREEN_ID);
	for (int n = 0; n < 16; n++) {
		rgb_color c = spectrum_color(n);
		colorIndex[n] = screen.IndexForColor(c.red, c.green, c.blue, c.alpha);
	}
}

void spectrum_attribute_colours(const uint8 colorIndex[16], AttributeColours* colours)
{
	for (int attribute = 0; attribute < 256; attribute++) {
		int bright = (attribute >> 3) & 8;
		colours->ink[attribute] = colorIndex[(attribute & 7) | bright];
		colours->paper[attribute] = colorIndex[((attribute >> 3) & 7) | bright];
	}
}
