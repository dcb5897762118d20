#ifndef PSD_ADJUSTMENT_COLOR_H
#define PSD_ADJUSTMENT_COLOR_H

// What colour adjustments share: a pixel's brightness as Photoshop weighs it,
// red, green and blue read from the stored values of any colour mode, and
// hue, saturation and lightness.

#include "PSDAdjustment.h"

#include <cmath>

// Photoshop's weights of red, green and blue for a pixel's luminosity.
inline float psdLuminosity(float red, float green, float blue)
{
	return 0.3f * red + 0.59f * green + 0.11f * blue;
}

// A value through the sRGB curve, clamped to [0, 1] first (NaN as 0), and
// back.
inline float psdSRGBEncode(float v)
{
	v = v > 0 ? (v < 1 ? v : 1) : 0;
	return v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
}

inline float psdSRGBDecode(float v)
{
	return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
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

// How much further from its HSL lightness a saturation setting (-1 to 1)
// takes a colour: lowering by a by a (-1 is gray), raising by 1 / (1 - a) - 1
// with a in 256ths, as Photoshop keeps it (so +100 % stretches 256 times).
double psdSaturationStretch(double amount);
// Stretches the colour away from (stretch > 0) or towards its HSL lightness,
// by 1 + stretch, but no further than full saturation.
void psdStretchSaturation(double rgb[3], double stretch);
// The colour with its luminosity set to `luminosity`, hue and saturation kept
// as far as [0, 1] allows (the luminosity and colour blend modes' SetLum).
void psdSetLuminosity(double rgb[3], double luminosity);

// The hue in degrees [0, 360), or -1 for a gray.
double psdHue(const double rgb[3]);
// Turns the hue, keeping HSL saturation and lightness.
void psdRotateHue(double rgb[3], double degrees);
void psdHSLToRGB(double hue, double saturation, double lightness, double rgb[3]);

// An adjustment defined on red, green and blue. RGB documents give their
// channels; CMYK ones their stored cyan, magenta and yellow (1 = no ink, so
// they read as red, green and blue) and keep their black; grayscale ones their
// gray as all three, and take back the luminosity.
class PSDColorAdjustment : public PSDAdjustment {
public:
	explicit PSDColorAdjustment(uint16 mode) : fMode(mode) {}
	static bool Handles(uint16 mode);
	void Apply(float* const colour[], uint32 count) const override;

protected:
	// Values in [0, 1] in place.
	virtual void ApplyRGB(float* red, float* green, float* blue, uint32 count) const = 0;

private:
	uint16 fMode;
};

#endif
