#include "PSDEffect.h"

#include <algorithm>

namespace {

// Photoshop's effect sizes are how far the soft edge spreads; its blur is a
// Gaussian of this sigma per pixel of size, 1 / sqrt(6), as the corpus's
// drop shadows show.
const double kSigmaPerSize = 0.4082482904638630;

} // namespace

PSDEffect::PSDEffect(const PSDEffectSettings& settings, const PSDRenderTarget& target)
    : fSettings(settings), fTarget(target)
{
}

double PSDEffect::Size(double documentPixels) const
{
	const double size = documentPixels * fTarget.scale;
	return size > 0 ? std::min(size, kPSDEffectMaxSize) : 0;
}

void PSDEffect::Start(PSDLayerShape& shape)
{
	fShape = &shape;
	fCoverage.resize((size_t)shape.Width());
	const PSDPaintSettings& paint = fSettings.paint;
	fPaint = psdMakeFill(paint, fTarget,
	                     paint.kind == PSD_PAINT_SOLID ? PSDBounds{0, 0, 0, 0} : shape.Box());
}

double psdEffectBlurRadius(double size)
{
	return size > 0 ? size * kSigmaPerSize : 0;
}

std::unique_ptr<PSDEffect> psdMakeEffect(const PSDEffectSettings& settings,
                                         const PSDRenderTarget& target)
{
	switch (settings.kind) {
	case PSD_EFFECT_DROP_SHADOW:
	case PSD_EFFECT_INNER_SHADOW:
		return psdMakeShadow(settings, target);
	case PSD_EFFECT_OUTER_GLOW:
	case PSD_EFFECT_INNER_GLOW:
		return psdMakeGlow(settings, target);
	case PSD_EFFECT_SATIN:
		return psdMakeSatin(settings, target);
	case PSD_EFFECT_STROKE:
		return psdMakeStroke(settings, target);
	case PSD_EFFECT_PATTERN_OVERLAY:
	case PSD_EFFECT_GRADIENT_OVERLAY:
	case PSD_EFFECT_COLOUR_OVERLAY:
		return psdMakeOverlay(settings, target);
	case PSD_EFFECT_BEVEL:
		return psdMakeBevel(settings, target, false);
	}
	return nullptr;
}
