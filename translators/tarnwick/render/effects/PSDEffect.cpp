#include "PSDEffect.h"

#include <render/compose/PSDBlendModes.h>

#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>

#include <algorithm>
#include <cstring>
#include <new>

PSDEffect::PSDEffect(PSDEffectStage stage, const PSDDescriptor& descriptor,
                     const PSDEffectContext& context)
    : fDescriptor(descriptor), fContext(context), fStage(stage),
      fBlendMode(psdBlendModeFromName(descriptor.Enum("Md  ", "Nrml"))),
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
