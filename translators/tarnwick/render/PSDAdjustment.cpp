#include "PSDAdjustment.h"

#include "PSDAdjustmentKinds.h"

#include <PSDDescriptor.h>

#include <algorithm>
#include <iterator>
#include <new>

namespace {

const uint32 kAdjustmentKeys[] = {
    psdKey("brit"), psdKey("levl"), psdKey("curv"), psdKey("expA"), psdKey("vibA"), psdKey("hue "),
    psdKey("hue2"), psdKey("blnc"), psdKey("blwh"), psdKey("phfl"), psdKey("mixr"), psdKey("nvrt"),
    psdKey("post"), psdKey("thrs"), psdKey("grdm"), psdKey("selc"), psdKey("clrL")};

// Settings blocks are small.
const uint64 kMostSettingsBytes = 1 << 20;

const PSDBlock* adjustmentBlock(const PSDLayer& layer)
{
	for (const PSDBlock& block : layer.blocks) {
		if (std::find(std::begin(kAdjustmentKeys), std::end(kAdjustmentKeys), block.key) !=
		    std::end(kAdjustmentKeys))
			return &block;
	}
	return nullptr;
}

// A descriptor after `skip` bytes (a block's own version) and the
// descriptor's version.
bool readDescriptor(BPositionIO* in, const PSDBlock& block, size_t skip, uint64 limit,
                    PSDDescriptor* descriptor)
{
	PSDBlockData data;
	return psdReadBlock(in, block, &data, limit) && data.size() >= skip &&
	       psdParseVersionedDescriptor(data.data() + skip, data.size() - skip, descriptor);
}

std::unique_ptr<PSDAdjustment> readAdjustment(BPositionIO* in, const PSDRenderTarget& target,
                                              const PSDLayer& layer, const PSDBlock& block)
{
	const uint32 key = block.key;
	PSDDescriptor settings;
	if (key == psdKey("nvrt"))
		return psdReadInvert(target);

	PSDBlockData data;
	if (!psdReadBlock(in, block, &data, kMostSettingsBytes))
		return nullptr;
	switch (key) {
	case psdKey("brit"): {
		const PSDBlock* current = layer.Block(psdKey("CgEd"));
		const bool hasCurrent =
		    current != nullptr && readDescriptor(in, *current, 0, kMostSettingsBytes, &settings);
		return psdReadBrightnessContrast(data, hasCurrent ? &settings : nullptr, target);
	}
	case psdKey("hue "):
	case psdKey("hue2"):
		return psdReadHueSaturation(data, target);
	case psdKey("levl"):
		return psdReadLevels(data, target);
	case psdKey("curv"):
		return psdReadCurves(data, target);
	case psdKey("expA"):
		return psdReadExposure(data, target);
	case psdKey("post"):
		return psdReadPosterize(data, target);
	case psdKey("thrs"):
		return psdReadThreshold(data, target);
	default:
		return nullptr;
	}
}

} // namespace

bool psdIsAdjustmentLayer(const PSDLayer& layer)
{
	return adjustmentBlock(layer) != nullptr;
}

std::unique_ptr<PSDAdjustment> psdReadAdjustment(BPositionIO* in, const PSDRenderTarget& target,
                                                 const PSDLayer& layer)
{
	const PSDBlock* block = adjustmentBlock(layer);
	if (block == nullptr || target.colours < 1 || target.colours > 4)
		return nullptr;
	try {
		return readAdjustment(in, target, layer, *block);
	} catch (const std::bad_alloc&) {
		return nullptr;
	}
}
