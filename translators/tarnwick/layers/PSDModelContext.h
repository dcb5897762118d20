#ifndef PSD_MODEL_CONTEXT_H
#define PSD_MODEL_CONTEXT_H

// What reading a layer's settings into the model needs to know of the
// document, and the caps that keep a hostile file's model small whatever its
// counts claim.

#include "PSDDescriptor.h"
#include "PSDLayers.h"

#include <DataIO.h>

#include <vector>

struct PSDModelLimits {
	// Effects of one kind on one layer: Photoshop allows 10.
	int effectsOfAKind = 10;
	// Knots of one path (a vector mask or shape), all subpaths together, and
	// the points its curves may flatten to.
	uint32 knotsPerPath = 1 << 16;
	size_t pointsPerPath = 1 << 20;
	// Nesting and values of one descriptor.
	PSDDescriptorLimits descriptor;
	// Patterns the document's blocks may list, and the bytes of those
	// decoded (a pattern of 2048 x 2048 RGB pixels with alpha takes 32 MiB).
	size_t patterns = 1 << 12;
	uint64 patternBytes = 64 << 20;
};

struct PSDModelContext {
	BPositionIO* in;
	int32 width; // the document's, in pixels
	int32 height;
	uint16 mode;
	int colours; // channels of the mode that are rendered
	uint16 depth;
	bool psb;
	double globalAngle;                        // degrees, from the document's global light
	double globalAltitude;                     // degrees
	const std::vector<PSDBlock>* globalBlocks; // where patterns are
	PSDModelLimits limits;
};

#endif
