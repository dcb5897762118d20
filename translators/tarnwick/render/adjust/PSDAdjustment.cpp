#include "PSDAdjustment.h"

#include "PSDAdjustmentKinds.h"

#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>

namespace {

// Settings blocks are small; a colour lookup may carry its whole table.
const uint64 kMostSettingsBytes = 1 << 20;
const uint64 kMostLookupBytes = 64 << 20;

// 32-bit documents hold linear light. Photoshop's adjustments are defined on
// the values it shows, so they see the values through the sRGB curve (white
// and above as white); exposure alone works in linear light.
class PerceptualAdjustment : public PSDAdjustment {
public:
	PerceptualAdjustment(std::unique_ptr<PSDAdjustment> adjustment, int colours)
	    : fAdjustment(std::move(adjustment)), fColours(colours)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++) {
				const float v = colour[c][i] > 0 ? (colour[c][i] < 1 ? colour[c][i] : 1) : 0;
				colour[c][i] =
				    v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
			}
		}
		fAdjustment->Apply(colour, count);
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++) {
				const float v = colour[c][i];
				colour[c][i] = v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
			}
		}
	}

private:
	std::unique_ptr<PSDAdjustment> fAdjustment;
	int fColours;
};

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
	if (key == psdKey("vibA") || key == psdKey("blwh")) {
		if (!readDescriptor(in, block, 0, kMostSettingsBytes, &settings))
			return nullptr;
		return key == psdKey("vibA") ? psdReadVibrance(settings, target)
		                             : psdReadBlackWhite(settings, target);
	}
	if (key == psdKey("clrL")) {
		if (!readDescriptor(in, block, 2, kMostLookupBytes, &settings))
			return nullptr;
		return psdReadColorLookup(settings, target);
	}
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
	case psdKey("blnc"):
		return psdReadColorBalance(data, target);
	case psdKey("phfl"):
		return psdReadPhotoFilter(data, target);
	case psdKey("mixr"):
		return psdReadChannelMixer(data, target);
	case psdKey("grdm"):
		return psdReadGradientMap(data, target);
	case psdKey("selc"):
		return psdReadSelectiveColor(data, target);
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

std::unique_ptr<PSDAdjustment> psdReadAdjustment(BPositionIO* in, const PSDRenderTarget& target,
                                                 const PSDLayer& layer)
{
	const PSDBlock* block = psdAdjustmentBlock(layer);
	if (block == nullptr || target.colours < 1 || target.colours > 4)
		return nullptr;
	try {
		std::unique_ptr<PSDAdjustment> adjustment = readAdjustment(in, target, layer, *block);
		if (adjustment && target.depth == 32 && block->key != psdKey("expA"))
			adjustment.reset(new PerceptualAdjustment(std::move(adjustment), target.colours));
		return adjustment;
	} catch (const std::bad_alloc&) {
		return nullptr;
	}
}
