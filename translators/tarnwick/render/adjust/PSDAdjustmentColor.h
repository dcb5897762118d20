#ifndef PSD_ADJUSTMENT_COLOR_H
#define PSD_ADJUSTMENT_COLOR_H

// What colour adjustments share: a pixel's brightness as Photoshop weighs it,
// red, green and blue read from the stored values of any colour mode, and
// hue, saturation and lightness.

#include "PSDAdjustment.h"

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

class PSDAdjustmentBytes;
class PSDDescriptor;

// Reads Photoshop's colour structure (a colour space and four 16-bit
// components) as a 'Clr ' descriptor that psdDescriptorColor understands.
// False for spaces it has no conversion of.
bool psdReadColorStructure(PSDAdjustmentBytes& bytes, PSDDescriptor* colour);
// A number item added to a descriptor.
void psdAddNumber(PSDDescriptor* descriptor, const char* key, double value);

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
