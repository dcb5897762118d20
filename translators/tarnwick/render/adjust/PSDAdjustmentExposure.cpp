// Exposure: in linear light, x 2^exposure + offset, then the gamma. Photoshop
// takes 8- and 16-bit values to linear light and back with a plain 2.2 gamma;
// 32-bit values are linear already.

#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"

#include <algorithm>
#include <cmath>

namespace {

struct Exposure {
	double scale, offset, inverseGamma;

	double operator()(double linear) const
	{
		return std::pow(std::max(0.0, linear * scale + offset), inverseGamma);
	}
};

class LinearExposure : public PSDAdjustment {
public:
	LinearExposure(const Exposure& exposure, int colours) : fExposure(exposure), fColours(colours)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (int c = 0; c < fColours; c++) {
			for (uint32 i = 0; i < count; i++)
				colour[c][i] = (float)fExposure(colour[c][i]);
		}
	}

private:
	Exposure fExposure;
	int fColours;
};

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDExposureSettings& settings,
                                                 const PSDRenderTarget& target)
{
	const Exposure exposure = {std::exp2(settings.exposure), settings.offset, 1 / settings.gamma};
	if (target.depth == 32)
		return std::unique_ptr<PSDAdjustment>(new LinearExposure(exposure, target.colours));
	const PSDToneTable table =
	    PSDToneTable::From([&](double x) { return std::pow(exposure(std::pow(x, 2.2)), 1 / 2.2); });
	return std::unique_ptr<PSDAdjustment>(
	    new PSDToneAdjustment(std::vector<PSDToneTable>((size_t)target.colours, table)));
}
