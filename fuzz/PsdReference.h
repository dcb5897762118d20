#ifndef PSD_REFERENCE_H
#define PSD_REFERENCE_H

// A second, plain decoding of a PSD or PSB file's merged image, for the
// Tarnwick fuzz target to compare the add-on's pixels with. Written from the
// file layout and the decisions the add-on keeps: bytes past the end of the
// file are 0; the planes follow one another, PackBits planes packet by packet
// (bytes of a packet beyond its plane are dropped, the row byte counts are
// never read); ZIP data is one zlib stream over the planes, inflated in one
// call into exactly the planes read (more is cut, less or a broken stream
// leaves zeros), with prediction undone row by row; 16-bit samples keep their
// high byte; floats go through the sRGB curve in double precision (alpha
// linearly); the loader is chosen by colour mode, channel count and the two
// settings.
//
// Only for files that Translate accepts; the caller checks that first.

#include <cstddef>
#include <cstdint>
#include <vector>

struct PsdReferenceSettings {
	bool alpha4;
	int multichannelRead; // any value other than 2 and 3 reads as RGB
};

// width x height pixel words in B_RGBA32 memory order.
std::vector<uint32_t> psdReferencePixels(const uint8_t* file, size_t size,
                                         const PsdReferenceSettings& settings);

#endif
