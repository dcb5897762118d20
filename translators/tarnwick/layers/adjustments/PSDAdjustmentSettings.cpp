#include "PSDAdjustmentSettings.h"

#include "PSDAdjustmentReaders.h"

#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <iterator>

namespace {

const uint32 kAdjustmentKeys[] = {
    psdKey("brit"), psdKey("levl"), psdKey("curv"), psdKey("expA"), psdKey("vibA"), psdKey("hue "),
    psdKey("hue2"), psdKey("blnc"), psdKey("blwh"), psdKey("phfl"), psdKey("mixr"), psdKey("nvrt"),
    psdKey("post"), psdKey("thrs"), psdKey("grdm"), psdKey("selc"), psdKey("clrL")};

// Settings blocks are small; only a colour lookup's table is large, and that
// is not read here.
const uint64 kMostSettingsBytes = 1 << 20;

const PSDBlock* adjustmentBlock(const PSDLayer& record)
{
	for (const PSDBlock& block : record.blocks) {
		if (std::find(std::begin(kAdjustmentKeys), std::end(kAdjustmentKeys), block.key) !=
		    std::end(kAdjustmentKeys))
			return &block;
	}
	return nullptr;
}

bool readDescriptor(BPositionIO* in, const PSDBlock& block, PSDDescriptor* descriptor)
{
	PSDBlockData data;
	return psdReadBlock(in, block, &data, kMostSettingsBytes) &&
	       psdParseVersionedDescriptor(data.data(), data.size(), descriptor);
}

template <class Kind> std::unique_ptr<PSDAdjustmentSettings> settingsOf(std::optional<Kind> kind)
{
	if (!kind)
		return nullptr;
	return std::unique_ptr<PSDAdjustmentSettings>(new PSDAdjustmentSettings{std::move(*kind)});
}

std::unique_ptr<PSDAdjustmentSettings> readDescriptorKind(BPositionIO* in, const PSDBlock& block)
{
	PSDDescriptor descriptor;
	if (!readDescriptor(in, block, &descriptor))
		return nullptr;
	if (block.key == psdKey("vibA"))
		return settingsOf(psdReadVibrance(descriptor));
	return settingsOf(psdReadBlackWhite(descriptor));
}

std::unique_ptr<PSDAdjustmentSettings>
readBrightnessContrast(BPositionIO* in, const PSDLayer& record, const PSDBlockData& data)
{
	PSDDescriptor current;
	const PSDBlock* block = record.Block(psdKey("CgEd"));
	const bool hasCurrent = block != nullptr && readDescriptor(in, *block, &current);
	return settingsOf(psdReadBrightnessContrast(data, hasCurrent ? &current : nullptr));
}

std::unique_ptr<PSDAdjustmentSettings> readBinaryKind(const PSDModelContext& context,
                                                      const PSDLayer& record, const PSDBlock& block)
{
	PSDBlockData data;
	if (!psdReadBlock(context.in, block, &data, kMostSettingsBytes))
		return nullptr;
	switch (block.key) {
	case psdKey("brit"):
		return readBrightnessContrast(context.in, record, data);
	case psdKey("levl"):
		return settingsOf(psdReadLevels(data));
	case psdKey("curv"):
		return settingsOf(psdReadCurves(data));
	case psdKey("expA"):
		return settingsOf(psdReadExposure(data));
	case psdKey("post"):
		return settingsOf(psdReadPosterize(data));
	case psdKey("thrs"):
		return settingsOf(psdReadThreshold(data));
	case psdKey("hue "):
	case psdKey("hue2"):
		return settingsOf(psdReadHueSaturation(data));
	case psdKey("blnc"):
		return settingsOf(psdReadColorBalance(data));
	case psdKey("phfl"):
		return settingsOf(psdReadPhotoFilter(data));
	case psdKey("mixr"):
		return settingsOf(psdReadChannelMixer(data));
	case psdKey("selc"):
		return settingsOf(psdReadSelectiveColor(data));
	case psdKey("grdm"):
		return settingsOf(psdReadGradientMap(data, context.mode));
	default:
		return nullptr;
	}
}

} // namespace

bool psdIsAdjustmentLayer(const PSDLayer& record)
{
	return adjustmentBlock(record) != nullptr;
}

std::unique_ptr<PSDAdjustmentSettings> psdReadAdjustmentSettings(const PSDModelContext& context,
                                                                 const PSDLayer& record)
{
	const PSDBlock* block = adjustmentBlock(record);
	if (block == nullptr)
		return nullptr;
	switch (block->key) {
	case psdKey("nvrt"):
		return settingsOf(std::optional<PSDInvertSettings>(PSDInvertSettings()));
	case psdKey("vibA"):
	case psdKey("blwh"):
		return readDescriptorKind(context.in, *block);
	case psdKey("clrL"):
		return settingsOf(psdReadColorLookup(context.in, *block));
	default:
		return readBinaryKind(context, record, *block);
	}
}
