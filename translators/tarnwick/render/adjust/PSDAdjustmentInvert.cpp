// Invert: every stored value v becomes 1 - v, in every colour mode.

#include "PSDAdjustmentKinds.h"

namespace {

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

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDInvertSettings&,
                                                 const PSDRenderTarget& target)
{
	return std::unique_ptr<PSDAdjustment>(new Invert(target.colours));
}
