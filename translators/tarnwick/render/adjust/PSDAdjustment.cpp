#include "PSDAdjustment.h"

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <cmath>
#include <type_traits>

namespace {

// How an adjustment sees the values it is given. 32-bit documents hold
// linear light; Photoshop's adjustments are defined on the values it shows,
// so they see them through the sRGB curve (white and above as white), and
// exposure alone works in linear light. 8-bit documents Photoshop adjusts as
// it keeps them, in whole levels; what lies below comes composed in floating
// point, so its values are rounded to levels first (a colour whose hue turns
// on a fraction of a level turns as Photoshop's does).
class ViewedAdjustment : public PSDAdjustment {
public:
	enum View { kThroughSRGB, kInLevels };

	ViewedAdjustment(std::unique_ptr<PSDAdjustment> adjustment, int colours, View view)
	    : fAdjustment(std::move(adjustment)), fColours(colours), fView(view)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++) {
				colour[c][i] = fView == kThroughSRGB ? psdSRGBEncode(colour[c][i])
				                                     : std::round(colour[c][i] * 255) / 255;
			}
		}
		fAdjustment->Apply(colour, count);
		if (fView != kThroughSRGB)
			return;
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++)
				colour[c][i] = psdSRGBDecode(colour[c][i]);
		}
	}

private:
	std::unique_ptr<PSDAdjustment> fAdjustment;
	int fColours;
	View fView;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDAdjustmentSettings& settings,
                                                 const PSDRenderTarget& target,
                                                 PSDRenderSource& source)
{
	if (target.colours < 1 || target.colours > PSD_ADJUSTMENT_MOST_COLOURS)
		return nullptr;
	std::unique_ptr<PSDAdjustment> adjustment = std::visit(
	    [&](const auto& kind) {
		    if constexpr (std::is_same_v<std::decay_t<decltype(kind)>, PSDColorLookupSettings>)
			    return psdMakeAdjustment(kind, target, source);
		    else
			    return psdMakeAdjustment(kind, target);
	    },
	    settings.kind);
	if (adjustment && target.depth == 32 &&
	    !std::holds_alternative<PSDExposureSettings>(settings.kind))
		adjustment.reset(new ViewedAdjustment(std::move(adjustment), target.colours,
		                                      ViewedAdjustment::kThroughSRGB));
	else if (adjustment && target.depth == 8)
		adjustment.reset(new ViewedAdjustment(std::move(adjustment), target.colours,
		                                      ViewedAdjustment::kInLevels));
	return adjustment;
}
