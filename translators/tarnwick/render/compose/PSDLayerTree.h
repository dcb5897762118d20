#ifndef PSD_LAYER_TREE_H
#define PSD_LAYER_TREE_H

// The layers as Photoshop stacks them: groups hold their layers, bottom
// first. The records come bottom first with a group's end marker below its
// layers and the group's own record above them.

#include <layers/PSDBlendMode.h>
#include <layers/PSDLayers.h>

#include <vector>

// Deeper nesting than Photoshop allows is flattened into the group at this
// depth, so that neither the renderer's recursion nor its group buffers can
// grow with hostile input.
const int PSD_MAX_GROUP_DEPTH = 32;

struct PSDLayerNode {
	int record = -1; // index in PSDLayers::layers; -1 for the document itself
	bool group = false;
	// A group's comes from its section divider when there is one.
	PSDBlendMode blendMode = PSD_BLEND_NORMAL;
	std::vector<PSDLayerNode> children; // bottom first
};

PSDLayerNode psdBuildLayerTree(BPositionIO* in, const PSDLayers& layers);

#endif
