#ifndef PSD_ADJUSTMENT_COLOR_H
#define PSD_ADJUSTMENT_COLOR_H

// What colour adjustments share: a pixel's brightness as Photoshop weighs it,
// and red, green and blue read from the stored values of any colour mode.

#include <SupportDefs.h>

// Photoshop's weights of red, green and blue for a pixel's luminosity.
inline float psdLuminosity(float red, float green, float blue)
{
	return 0.3f * red + 0.59f * green + 0.11f * blue;
}

// Red, green and blue of pixel i: gray as it is; CMYK through its black, as
// stored values (1 = no ink) multiply.
inline void psdPixelRGB(const float* const colour[], int colours, uint32 i, float rgb[3])
{
	if (colours == 1) {
		rgb[0] = rgb[1] = rgb[2] = colour[0][i];
		return;
	}
	const float black = colours == 4 ? colour[3][i] : 1.0f;
	for (int c = 0; c < 3; c++)
		rgb[c] = colour[c][i] * black;
}

#endif
