#ifndef PSD_PATTERNS_H
#define PSD_PATTERNS_H

// Patterns as the layer section keeps them ('Patt', 'Pat2', 'Pat3' blocks):
// a header, then the pixels as a virtual memory array list of channels,
// raw, PackBits or ZIP.

#include "PSDLayers.h"

#include <string>
#include <vector>

// Patterns larger than this many pixels are not read.
const uint64 kPSDPatternMaxPixels = 1 << 22;

struct PSDPattern {
	int32 width = 0;
	int32 height = 0;
	uint16 mode = 0; // the pattern's own colour mode
	// Its colour channels, then alpha (all 1 where it has none): planes of
	// width x height floats in [0, 1], stored values; indexed patterns come
	// as RGB through their colour table.
	int channels = 0;
	std::vector<float> planes;

	const float* Plane(int c) const { return &planes[(size_t)c * width * height]; }
};

// The pattern whose unique ID is `id` from the blocks (of any of the three
// keys), decoded. False when none has it or it cannot be read.
bool psdReadPattern(BPositionIO* in, const std::vector<PSDBlock>& blocks, const std::string& id,
                    PSDPattern* pattern);

#endif
