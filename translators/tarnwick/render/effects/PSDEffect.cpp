#include "PSDEffect.h"

#include <render/compose/PSDBlendModes.h>

#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Effects name blend modes as descriptor enums; layers as four-character keys.
uint32 blendModeKey(const std::string& name)
{
	static const struct {
		const char* name;
		uint32 key;
	} kModes[] = {{"Nrml", psdKey("norm")},        {"Dslv", psdKey("diss")},
	              {"Drkn", psdKey("dark")},        {"Mltp", psdKey("mul ")},
	              {"CBrn", psdKey("idiv")},        {"linearBurn", psdKey("lbrn")},
	              {"darkerColor", psdKey("dkCl")}, {"Lghn", psdKey("lite")},
	              {"Scrn", psdKey("scrn")},        {"CDdg", psdKey("div ")},
	              {"linearDodge", psdKey("lddg")}, {"lighterColor", psdKey("lgCl")},
	              {"Ovrl", psdKey("over")},        {"SftL", psdKey("sLit")},
	              {"HrdL", psdKey("hLit")},        {"vividLight", psdKey("vLit")},
	              {"linearLight", psdKey("lLit")}, {"pinLight", psdKey("pLit")},
	              {"hardMix", psdKey("hMix")},     {"Dfrn", psdKey("diff")},
	              {"Xclu", psdKey("smud")},        {"blendSubtraction", psdKey("fsub")},
	              {"blendDivide", psdKey("fdiv")}, {"H   ", psdKey("hue ")},
	              {"Strt", psdKey("sat ")},        {"Clr ", psdKey("colr")},
	              {"Lmns", psdKey("lum ")}};
	for (const auto& mode : kModes) {
		if (name == mode.name)
			return mode.key;
	}
	return psdKey("norm");
}

} // namespace

PSDEffect::PSDEffect(PSDEffectStage stage, const PSDDescriptor& descriptor,
                     const PSDEffectContext& context)
    : fDescriptor(descriptor), fContext(context), fStage(stage),
      fBlendMode(blendModeKey(descriptor.Enum("Md  ", "Nrml"))),
      fOpacity((float)std::min(1.0, std::max(0.0, descriptor.Number("Opct", 100) / 100)))
{
}

double PSDEffect::Size(const char* key, double fallback) const
{
	const double size = fDescriptor.Number(key, fallback) * fContext.scale;
	return size > 0 ? std::min(size, kPSDEffectMaxSize) : 0;
}

status_t PSDEffect::SolidPaint(const char* key)
{
	float colour[5] = {};
	const PSDDescriptor* value = fDescriptor.Child(key);
	if (value != nullptr)
		psdDescriptorColor(*value, fContext.target.mode, colour);
	fPaint.reset(new (std::nothrow) PSDSolidFill(colour, fContext.target.colours));
	return fPaint ? B_OK : B_NO_MEMORY;
}
