#include "PSDLayerTree.h"

#include <core/PSDBytes.h>

namespace {

enum { kOpenGroup = 1, kClosedGroup = 2, kGroupEnd = 3 };

// The section divider's type and, when it has one, the group's blend mode.
int dividerType(BPositionIO* in, const PSDLayer& layer, uint32* blendMode)
{
	const PSDBlock* block = layer.Block(psdKey("lsct"));
	if (block == nullptr)
		block = layer.Block(psdKey("lsdk"));
	std::vector<uint8> data;
	if (block == nullptr || !psdReadBlock(in, *block, &data, 64) || data.size() < 4)
		return 0;
	if (data.size() >= 12 && psdBig32(&data[4]) == psdKey("8BIM"))
		*blendMode = psdBig32(&data[8]);
	return (int)psdBig32(data.data());
}

} // namespace

PSDLayerNode psdBuildLayerTree(BPositionIO* in, const PSDLayers& layers)
{
	std::vector<PSDLayerNode> open(1); // open[0] is the document
	int flattened = 0;                 // group ends met past the depth limit, still open
	for (size_t i = 0; i < layers.layers.size(); i++) {
		const PSDLayer& layer = layers.layers[i];
		uint32 blendMode = layer.blendMode;
		const int type = dividerType(in, layer, &blendMode);
		if (type == kGroupEnd) {
			if (open.size() > (size_t)PSD_MAX_GROUP_DEPTH)
				flattened++;
			else
				open.emplace_back();
			continue;
		}
		PSDLayerNode node;
		node.record = (int)i;
		node.blendMode = psdBlendModeFromKey(blendMode);
		if (type == kOpenGroup || type == kClosedGroup) {
			if (flattened > 0) {
				flattened--;
				continue;
			}
			node.group = true;
			// A group without its end marker holds nothing.
			if (open.size() > 1) {
				node.children = std::move(open.back().children);
				open.pop_back();
			}
		}
		open.back().children.push_back(std::move(node));
	}
	// End markers without a group: their layers belong to the level below.
	while (open.size() > 1) {
		std::vector<PSDLayerNode> children = std::move(open.back().children);
		open.pop_back();
		for (PSDLayerNode& child : children)
			open.back().children.push_back(std::move(child));
	}
	return std::move(open[0]);
}
