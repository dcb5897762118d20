#ifndef SCREEN_REFERENCE_H
#define SCREEN_REFERENCE_H

// A second, plain reading of every SCREEN$ form Wendral accepts, for its
// tests and fuzz target: each pixel computed on its own, straight from the
// layouts as ZX users document them, sharing no code with the add-on.

#include <cstddef>
#include <cstdint>
#include <vector>

// The whole Be bitmap stream Wendral must write for the stream, header
// included; empty when it must refuse the stream. `hinted`: the host said
// the stream is a SCREEN$ (6144 and 12288 bytes count only then).
// Colour-mapped pixels are the platform screen's index of their colour.
std::vector<uint8_t> screenReferenceBitmap(const uint8_t* data, size_t size, bool hinted);

#endif
