#ifndef PSD_COLOUR_PLAN_H
#define PSD_COLOUR_PLAN_H

// What one reading does with colour, decided once from the host's request
// and the document: its colour mode, depth and embedded ICC profile (image
// resource 1039).
//
// Converted to sRGB: grayscale, RGB, CMYK and Lab documents whose profile is
// not sRGB's (for 32-bit ones: linear sRGB's). CMYK documents without a
// profile go through the system's CMYK profile (the file the environment
// variable TARNWICK_CMYK_PROFILE names, read once; by default Ghostscript's
// SWOP profile) or, without one, the ink formula with paper white at 255; RGB and gray ones without
// are sRGB already. A profile that is damaged or for another colour space is ignored, as if there
// were none, with a note saying so. Other modes are read as they always were.

#include "PSDColourPending.h"

#include <core/PSDDocument.h>

#include <memory>
#include <string>
#include <vector>

enum PSDColourRequest {
	PSD_COLOUR_AS_STORED,    // no request: the pixels Tarnwick has always written
	PSD_COLOUR_SRGB,         // sRGB, through the document's profile
	PSD_COLOUR_KEEP_PROFILE, // 8- and 16-bit RGB and gray samples as stored, their
	                         // profile handed back; the rest as PSD_COLOUR_SRGB
};

struct PSDColourPlan {
	// Null: the pixels as Tarnwick has always written them.
	std::unique_ptr<PSDColourPending> transform;
	PSDColourSpace space = PSD_COLOUR_SPACE_RGB;

	// What the host is told.
	bool srgb = false;       // the bitmap's colours are sRGB
	std::vector<uint8> kept; // the profile the bitmap's colours are in
	std::string note;        // why the document's profile was not used
};

// Decides for a reading whose samples reach the transform in sampleBytes
// (1 or 2) bytes each: 2 for 16- and 32-bit documents and rendered layers.
void psdColourPlan(BPositionIO* in, const PSDDocument& document, PSDColourRequest request,
                   int sampleBytes, PSDColourPlan* plan);

#endif
