#ifndef PSD_PATTERNS_H
#define PSD_PATTERNS_H

// Patterns as the layer section keeps them ('Patt', 'Pat2', 'Pat3' blocks):
// a header, then the pixels as a virtual memory array list of channels,
// raw, PackBits or ZIP.

#include "PSDLayers.h"

#include <map>
#include <string>
#include <vector>

// Patterns larger than this many pixels are not read.
const uint64 kPSDPatternMaxPixels = 1 << 22;

struct PSDPattern {
	int32 width = 0;
	int32 height = 0;
	uint16 mode = 0; // the pattern's own colour mode
	// Its colour channels, then alpha (all opaque where it has none): planes
	// of width x height stored values, 65535 for 1; indexed patterns come as
	// RGB through their colour table.
	int channels = 0;
	std::vector<uint16> samples;

	float Sample(int plane, size_t at) const
	{
		return samples[(size_t)plane * width * height + at] / 65535.0f;
	}
};

// Where the patterns of the blocks lie, by unique ID (without the NULs
// descriptors often keep at the end); the first of an ID wins. At most
// `most` of them are listed.
std::map<std::string, PSDBlock> psdFindPatterns(BPositionIO* in,
                                                const std::vector<PSDBlock>& blocks, size_t most);

// Decodes the pattern whose record psdFindPatterns located. False when it
// cannot be read or has more than kPSDPatternMaxPixels pixels.
bool psdReadPattern(BPositionIO* in, const PSDBlock& record, PSDPattern* pattern);

// An ID as patterns compare them.
std::string psdPatternID(std::string id);

#endif
