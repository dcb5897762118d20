#ifndef PSD_COLOUR_FORMULAS_H
#define PSD_COLOUR_FORMULAS_H

// The colour formulas, for wherever no profile speaks: the sRGB curve, CMYK
// by its ink, Lab (D50) through XYZ to sRGB, and the textbook conversions
// between colour models that colours named in descriptors need. Conversions
// through a file's own profile are in PSDColourTransform.h.

#include <SupportDefs.h>

#include <cstring>

// The IEC 61966-2-1 curve: linear light in [0, 1] to its encoded value.
double psdColourSrgbEncode(double linear);

// A linear-light float as the byte floor(255 srgb(clamp(x, 0, 1)) + 0.5);
// NaN reads as 0.
uint8 psdColourLinearByte(float x);

// The same by a table, inline, for loops over many samples. The curve costs
// a pow per sample; instead, for each byte b the least float that reaches
// it, and for each value of a float's top 16 bits the byte of the least
// float with them: a sample starts from the latter and steps up past the
// thresholds it reaches, which is at most a step or two.
struct PSDLinearByteTable {
	enum : uint32 { kOneBits = 0x3F800000 }; // 1.0f; positive floats order as their bits

	float threshold[257]; // threshold[b]: least float giving byte b; [256] past all
	uint8 start[(kOneBits >> 16) + 1];

	uint8 Byte(float x) const
	{
		if (!(x > 0)) // NaN too
			return 0;
		if (x >= 1)
			return 255;
		uint32 bits;
		memcpy(&bits, &x, sizeof(bits));
		uint32 b = start[bits >> 16];
		while (x >= threshold[b + 1])
			b++;
		return (uint8)b;
	}
};

// Made once, on first use.
const PSDLinearByteTable& psdColourLinearByteTable();

// CMYK as stored (inverted ink: 255 is no ink), without a profile: each of
// red, green and blue is its ink's stored value times black's, >> 8, as
// Tarnwick has always read it (paper white 254).
inline uint8 psdColourInkByte(uint32 stored, uint32 black)
{
	return (uint8)((stored * black) >> 8);
}

// The same product rounded, for colour-managed readings without a profile:
// paper white is 255. Samples of `bits` bits (8 or 16).
inline uint8 psdColourInkByteRounded(uint32 stored, uint32 black, int bits)
{
	const uint64 full = ((uint64)1 << bits) - 1;
	return (uint8)(((uint64)stored * black * 255 + full * full / 2) / (full * full));
}

// The models a named colour comes in: RGB, CMYK ink and gray ink in [0, 1],
// Lab as written (L 0 to 100, a and b about -128 to 127).
enum PSDColourModel {
	PSD_COLOUR_MODEL_NONE,
	PSD_COLOUR_MODEL_RGB,
	PSD_COLOUR_MODEL_CMYK,
	PSD_COLOUR_MODEL_GRAY,
	PSD_COLOUR_MODEL_LAB,
};

// Hue in degrees, saturation and brightness in [0, 1].
void psdColourHsbToRgb(double hue, double saturation, double brightness, double rgb[3]);

// Lab under D50 through XYZ to sRGB with Bradford's adaptation, clamped.
void psdColourLabToSrgb(const double lab[3], double rgb[3]);

// A colour of a model as the stored channel values of a document of the
// colour mode, each in [0, 1]: RGB 3 values, grayscale 1 (1 = white), CMYK 4
// (inverted ink, 1 = no ink). Returns the number of values written, 0 for a
// mode without a conversion here. Between models the conversions are the
// textbook ones, without profiles: CMYK to RGB by (1 - C)(1 - K); RGB to CMYK
// with full black generation; RGB to gray by Rec. 601 luma; Lab to gray by
// its lightness; gray to CMYK as black ink only.
int psdColourStoredValues(PSDColourModel model, const double values[4], uint16 mode, float* stored);

#endif
