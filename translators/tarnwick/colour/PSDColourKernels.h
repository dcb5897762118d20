#ifndef PSD_COLOUR_KERNELS_H
#define PSD_COLOUR_KERNELS_H

// The per-pixel loops of colour management: a document's samples through a
// sampled transform into B_RGBA32 pixel words. The grid and matrix loops have
// a plain form and an AVX2 form, chosen at run time (and switched off with
// the core's vector code, for tests); both give the same pixels, bit for bit,
// since the arithmetic is exact until one last multiply and add.

#include <SupportDefs.h>

#include <vector>

// A span of samples as the document stores them: colour planes of 1-byte or
// 2-byte (host order) samples, and alpha bytes.
struct PSDSamples {
	const void* colours[4];
	int sampleBytes;    // 1 or 2
	const uint8* alpha; // null: opaque
	uint32 count;
};

// A transform sampled on a regular grid of nodes^inputs points spanning
// each input's samples. Each node is sRGB packed into a word: red and green
// in 11 bits, blue in 10, each over [kLow, kHigh], so that interpolation
// between nodes a little out of gamut stays right near the gamut's edge.
struct PSDColourGrid {
	static constexpr float kLow = -0.25f;
	static constexpr float kHigh = 1.25f;

	int inputs = 0; // 3 or 4
	int nodes = 0;  // on each input, the first at sample 0, the last at the largest
	int32 strides[4] = {};
	std::vector<uint32> values;
};

uint32 psdColourGridNode(const float rgb[3]);

// Curves to linear light, one value per sample (256 or 65536), then a
// matrix into linear sRGB: a matrix-shaper profile.
struct PSDColourMatrix {
	std::vector<float> curves[3];
	float matrix[9] = {};
};

// Lab (D50; L from 0 to 100 and a and b from -128 to 127 over the samples'
// range) to XYZ by the CIE's formula, then a matrix into linear sRGB that
// takes D50's white from XYZ.
struct PSDColourLab {
	float matrix[9] = {};
};

// Interpolates tetrahedrally between the grid's nodes (in 4 inputs, the
// simplex of five nodes around the sample).
void psdColourGridPixels(const PSDColourGrid& grid, const PSDSamples& samples, uint32* pixels);
void psdColourMatrixPixels(const PSDColourMatrix& matrix, const PSDSamples& samples,
                           uint32* pixels);
void psdColourLabPixels(const PSDColourLab& lab, const PSDSamples& samples, uint32* pixels);
// Gray through a table of one pixel word (alpha 0) per sample value.
void psdColourGrayPixels(const uint32* table, const PSDSamples& samples, uint32* pixels);
// CMYK by psdColourInkByteRounded.
void psdColourInkPixels(const PSDSamples& samples, uint32* pixels);

#endif
