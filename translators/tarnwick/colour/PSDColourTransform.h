#ifndef PSD_COLOUR_TRANSFORM_H
#define PSD_COLOUR_TRANSFORM_H

// A document's colours into sRGB pixel words through an ICC profile: the
// transform lcms2 makes of it (relative colorimetric with black point
// compensation, Photoshop's default, in floating point), sampled once into a
// table that the loops of PSDColourKernels.h interpolate: a 4-D grid for
// CMYK, a 3-D grid for RGB profiles built on tables, curves and a matrix
// for matrix-shaper RGB profiles, a pixel word per value for gray. Lab
// needs no table: its formula and sRGB's matrix, as lcms2 has them.

#include "PSDColourKernels.h"

#include <memory>

enum PSDColourSpace {
	PSD_COLOUR_SPACE_GRAY,
	PSD_COLOUR_SPACE_RGB,
	PSD_COLOUR_SPACE_CMYK,
	PSD_COLOUR_SPACE_LAB, // under D50; it needs no profile
};

// Colour planes the space's samples come in.
int psdColourSpacePlanes(PSDColourSpace space);

// What a profile is to a document's samples.
enum PSDProfileVerdict {
	PSD_PROFILE_CONVERTS,
	// The samples are sRGB already (for linear samples: linear sRGB), give
	// or take three quarters of a level: nothing to convert.
	PSD_PROFILE_IS_SRGB,
	PSD_PROFILE_DAMAGED,     // lcms2 cannot read it or make a transform of it
	PSD_PROFILE_OTHER_SPACE, // made for another colour space than the samples'
};

struct PSDColourTransform {
	enum Kind { kGray, kMatrix, kGrid, kLab, kInk };

	explicit PSDColourTransform(Kind kind) : kind(kind) {}

	// Pixel words from samples of the size the transform was made for.
	void Pixels(const PSDSamples& samples, uint32* pixels) const;

	Kind kind;
	std::vector<uint32> gray; // kGray: a pixel word (alpha 0) per sample value
	PSDColourMatrix matrix;   // kMatrix
	PSDColourGrid grid;       // kGrid, for samples of either size
	PSDColourLab lab;         // kLab, for samples of either size
};

// The ink formula (psdColourInkByteRounded), for CMYK without a profile.
std::shared_ptr<const PSDColourTransform> psdColourInkTransform();

// How the profile suits samples of the space; linear: the samples are
// linear light (from 32-bit documents). Quick: no table is made. Lab needs
// no profile and always converts.
PSDProfileVerdict psdColourJudgeProfile(PSDColourSpace space, bool linear, const uint8* profile,
                                        size_t size);

// The table of a profile judged PSD_PROFILE_CONVERTS, for samples of
// sampleBytes (1 or 2) bytes; null when there is not memory enough for it.
std::shared_ptr<const PSDColourTransform>
psdColourMakeTransform(PSDColourSpace space, int sampleBytes, const uint8* profile, size_t size);

#endif
