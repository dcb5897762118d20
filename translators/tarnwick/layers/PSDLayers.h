#ifndef PSD_LAYERS_H
#define PSD_LAYERS_H

// The layer and mask information section as read: the layer records, where
// each channel's data lies, and the additional information blocks (located,
// not loaded: most are never needed).

#include "PSDGeometry.h"
#include <core/PSDDocument.h>

#include <string>
#include <vector>

// A four-character code as a number: 'lsct' is 0x6C736374.
inline constexpr uint32 psdKey(const char (&text)[5])
{
	return (uint32)(uint8)text[0] << 24 | (uint32)(uint8)text[1] << 16 |
	       (uint32)(uint8)text[2] << 8 | (uint8)text[3];
}

struct PSDBlock {
	uint32 key;
	uint64 offset; // of the data
	uint64 length;
};

enum {
	PSD_CHANNEL_TRANSPARENCY = -1,
	PSD_CHANNEL_USER_MASK = -2,
	PSD_CHANNEL_REAL_USER_MASK = -3,
};

struct PSDLayerChannel {
	int16 id;      // 0, 1, ... colour; or one of the above
	uint64 offset; // of its compression word
	uint64 length; // compression word and data
};

enum {
	PSD_MASK_RELATIVE = 1, // position relative to the layer (obsolete)
	PSD_MASK_DISABLED = 2,
	PSD_MASK_INVERTED = 4, // obsolete
	PSD_MASK_FROM_RENDERING = 8,
	PSD_MASK_HAS_PARAMETERS = 16,
};

// A layer's user mask as its mask data describes it: the pixels of its
// channel cover rect, and defaultColour (0 or 255) lies all around.
struct PSDUserMask {
	bool present = false;
	PSDRect rect = {0, 0, 0, 0};
	uint8 defaultColour = 0;
	uint8 flags = 0;
};

struct PSDLayerMaskData {
	// The user mask; where both a user mask and a vector mask are kept, the
	// user mask is the "real" one and channel -3 holds its pixels.
	PSDUserMask user;
	PSDUserMask vectorRaster; // channel -2 when -3 holds the user mask
	uint8 userDensity = 255;
	double userFeather = 0;
	uint8 vectorDensity = 255;
	double vectorFeather = 0;
};

enum {
	PSD_LAYER_PROTECT_TRANSPARENCY = 1,
	PSD_LAYER_HIDDEN = 2,
	PSD_LAYER_PIXELS_IRRELEVANT = 24, // bit 3 says bit 4 is meaningful
};

struct PSDLayer {
	PSDRect bounds;
	std::vector<PSDLayerChannel> channels;
	uint32 blendMode;
	uint8 opacity;
	uint8 clipping; // 0 base, 1 clipped to the layer below
	uint8 flags;
	PSDLayerMaskData mask;
	// As stored: composite gray source and destination ranges, then a
	// source and destination range for each channel; 4 bytes a range.
	std::vector<uint8> blendingRanges;
	std::string name;
	std::vector<PSDBlock> blocks;

	bool Hidden() const { return (flags & PSD_LAYER_HIDDEN) != 0; }
	const PSDBlock* Block(uint32 key) const;
	const PSDLayerChannel* Channel(int16 id) const;
};

struct PSDLayers {
	std::vector<PSDLayer> layers; // bottom first, as stored
	// The depth of the layers' channel data: the document's, also where the
	// layers of 16- and 32-bit files sit in their own block.
	uint16 depth = 8;
	// Blocks of the whole section, behind the global mask (patterns, ...).
	std::vector<PSDBlock> globalBlocks;

	const PSDBlock* GlobalBlock(uint32 key) const;
};

// Reads the section of a described document. The records are read as far
// as they are whole; B_ERROR with the reason only when the section cannot be
// read at all. A document without layers gives an empty list.
status_t psdReadLayers(BPositionIO* in, const PSDDocument& document, PSDLayers* layers,
                       std::string* reason);

// The bytes of a block, when it has at most `limit` of them and the file
// holds them all.
bool psdReadBlock(BPositionIO* in, const PSDBlock& block, std::vector<uint8>* data, uint64 limit);

#endif
