// Brightness and contrast, the legacy form: brightness shifts every value,
// contrast stretches (or squeezes) them about the mean. A stretch follows
// the shift and a squeeze comes before it, so each is the other undone.

#include "PSDAdjustmentBytes.h"
#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"

#include <PSDDescriptor.h>

#include <algorithm>

namespace {

struct Legacy {
	double brightness; // -1 to 1 of full scale
	double contrast;   // -1 to 1
	double mean;

	double operator()(double x) const
	{
		if (contrast >= 0) {
			// Contrast c keeps the inputs 127 c / 100 in from both ends.
			const double inset = std::min(contrast * 127 / 255, 0.4999);
			return (x + brightness - mean) / (1 - 2 * inset) + mean;
		}
		return (x - mean) * (1 + contrast) + mean + brightness;
	}
};

} // namespace

std::unique_ptr<PSDAdjustment> psdReadBrightnessContrast(const PSDBlockData& block,
                                                         const PSDDescriptor* settings,
                                                         const PSDRenderTarget& target)
{
	PSDAdjustmentBytes bytes(block);
	Legacy legacy;
	legacy.brightness = std::min(150, std::max(-150, (int)bytes.BigInt16())) / 255.0;
	legacy.contrast = std::min(100, std::max(-100, (int)bytes.BigInt16())) / 100.0;
	legacy.mean = std::min(255, (int)bytes.Big16()) / 255.0;
	if (bytes.Failed())
		return nullptr;
	// The current form's curves are not reproduced here (see the README).
	if (settings != nullptr && !settings->Bool("useLegacy", false))
		return nullptr;
	const PSDToneTable table = PSDToneTable::From(legacy);
	return std::unique_ptr<PSDAdjustment>(
	    new PSDToneAdjustment(std::vector<PSDToneTable>((size_t)target.colours, table)));
}
