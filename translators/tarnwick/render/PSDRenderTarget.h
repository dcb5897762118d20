#ifndef PSD_RENDER_TARGET_H
#define PSD_RENDER_TARGET_H

// The canvas the layers are rendered onto: the document's colour mode and
// depth, at its own size or, for a reduced reading that the full size would
// cost too much for, scaled down.

#include <layers/PSDLayers.h>

#include <vector>

class PSDPatternTable;

struct PSDRenderTarget {
	int32 width; // canvas pixels: the document's size times scale, rounded
	int32 height;
	int colours; // channels of the document's colour mode that are rendered
	uint16 mode;
	uint16 depth;
	bool psb;
	// What layer effects share across the document: the light's angle
	// (degrees) and the blocks that hold patterns, until the layer model
	// holds their settings; its patterns, decoded once.
	double globalAngle = 120;
	const std::vector<PSDBlock>* globalBlocks = nullptr;
	PSDPatternTable* patterns = nullptr;
	// Canvas pixels per document pixel: sizes, distances and positions the
	// file gives in document pixels are multiplied by it.
	double scale = 1;
};

#endif
