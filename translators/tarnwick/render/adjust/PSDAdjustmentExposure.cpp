// Exposure: in linear light, x 2^exposure + offset, then the gamma. Photoshop
// takes 8- and 16-bit values to linear light and back with a plain 2.2 gamma;
// 32-bit values are linear already.

#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"
#include <layers/adjustments/PSDAdjustmentBytes.h>

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

std::unique_ptr<PSDAdjustment> psdReadExposure(const PSDBlockData& block,
                                               const PSDRenderTarget& target)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	const double exposure = bytes.BigFloat();
	const double offset = bytes.BigFloat();
	const double gamma = bytes.BigFloat();
	// Photoshop's ranges: +-20 stops, offset +-0.5, gamma 0.01 to 9.99.
	if (bytes.Failed() || !(std::fabs(exposure) <= 20) || !(std::fabs(offset) <= 0.5) ||
	    !(gamma >= 0.01 && gamma <= 9.99))
		return nullptr;
	const Exposure settings = {std::exp2(exposure), offset, 1 / gamma};
	if (target.depth == 32)
		return std::unique_ptr<PSDAdjustment>(new LinearExposure(settings, target.colours));
	const PSDToneTable table =
	    PSDToneTable::From([&](double x) { return std::pow(settings(std::pow(x, 2.2)), 1 / 2.2); });
	return std::unique_ptr<PSDAdjustment>(
	    new PSDToneAdjustment(std::vector<PSDToneTable>((size_t)target.colours, table)));
}
