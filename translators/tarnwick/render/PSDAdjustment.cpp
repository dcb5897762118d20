#include "PSDAdjustment.h"

#include <algorithm>
#include <iterator>

namespace {

const uint32 kAdjustmentKeys[] = {psdKey("brit"), psdKey("levl"), psdKey("curv"),
	psdKey("expA"), psdKey("vibA"), psdKey("hue "), psdKey("hue2"), psdKey("blnc"),
	psdKey("blwh"), psdKey("phfl"), psdKey("mixr"), psdKey("nvrt"), psdKey("post"),
	psdKey("thrs"), psdKey("grdm"), psdKey("selc"), psdKey("clrL")};

// Invert: every stored value v becomes 1 - v.
class Invert : public PSDAdjustment {
public:
	explicit Invert(int colours) : fColours(colours) {}
	void Apply(float* const colour[], uint32 count) const override
	{
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++)
				colour[c][i] = 1 - colour[c][i];
		}
	}

private:
	int fColours;
};

}  // namespace

bool psdIsAdjustmentLayer(const PSDLayer& layer)
{
	for (const PSDBlock& block : layer.blocks) {
		if (std::find(std::begin(kAdjustmentKeys), std::end(kAdjustmentKeys), block.key)
			!= std::end(kAdjustmentKeys))
			return true;
	}
	return false;
}

std::unique_ptr<PSDAdjustment> psdReadAdjustment(BPositionIO*, const PSDRenderTarget& target,
	const PSDLayer& layer)
{
	if (layer.Block(psdKey("nvrt")) != nullptr)
		return std::unique_ptr<PSDAdjustment>(new (std::nothrow) Invert(target.colours));
	return nullptr;
}
