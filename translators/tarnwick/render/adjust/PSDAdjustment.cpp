#include "PSDAdjustment.h"

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"

#include <cmath>
#include <type_traits>

namespace {

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
			for (uint32 i = 0; i < count; i++)
				colour[c][i] = psdSRGBEncode(colour[c][i]);
		}
		fAdjustment->Apply(colour, count);
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++)
				colour[c][i] = psdSRGBDecode(colour[c][i]);
		}
	}

private:
	std::unique_ptr<PSDAdjustment> fAdjustment;
	int fColours;
};

// Photoshop adjusts 8-bit documents' values as it keeps them: in whole
// levels. What lies below comes composed in floating point, so its values are
// rounded to levels first; a colour whose hue turns on a fraction of a level
// turns as Photoshop's does.
class LevelAdjustment : public PSDAdjustment {
public:
	LevelAdjustment(std::unique_ptr<PSDAdjustment> adjustment, int colours)
	    : fAdjustment(std::move(adjustment)), fColours(colours)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++)
				colour[c][i] = std::round(colour[c][i] * 255) / 255;
		}
		fAdjustment->Apply(colour, count);
	}

private:
	std::unique_ptr<PSDAdjustment> fAdjustment;
	int fColours;
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
		adjustment.reset(new PerceptualAdjustment(std::move(adjustment), target.colours));
	else if (adjustment && target.depth == 8)
		adjustment.reset(new LevelAdjustment(std::move(adjustment), target.colours));
	return adjustment;
}
