#ifndef PSD_LAYER_EFFECTS_H
#define PSD_LAYER_EFFECTS_H

// Layer effects (layer styles): shadows, glows, strokes, overlays, satin and
// bevels drawn around and over a layer. Given them, the layer is composited
// here, together with its effects, in Photoshop's order.

#include "PSDShapeSource.h"
#include <render/PSDRenderTarget.h>
#include <render/compose/PSDBand.h>

#include <layers/PSDBlendMode.h>
#include <layers/style/PSDLayerStyle.h>

#include <memory>

// How a layer meets what lies below it: its blend mode, its opacity, which
// fades it and its effects, and its fill opacity, which fades its pixels
// (and interior effects that blend with them) but not its other effects.
struct PSDLayerLook {
	PSDBlendMode blendMode;
	float opacity;
	float fill;
};

// What Composite draws: everything, or, where layers are clipped to this
// one, first the layer with what lies below it (shadows, outer glows) and,
// once the clipped layers are on it, the effects above its pixels, which
// cover them too.
enum PSDEffectPart {
	PSD_EFFECTS_ALL,
	PSD_EFFECTS_BELOW,
	PSD_EFFECTS_ABOVE,
};

class PSDLayerEffects {
public:
	virtual ~PSDLayerEffects() {}
	// Where the layer and its effects may paint: its extent and as far
	// around as shadows, glows and strokes reach.
	virtual PSDRect Extent(const PSDRect& layerExtent) const = 0;
	// What compositing them onto the canvas costs in pixel operations: each
	// effect works on the whole area it looks at, which reaches past the
	// canvas as far as the effects see.
	virtual uint64 Work(const PSDRect& layerExtent, const PSDRect& canvas) const = 0;
	// Composites the layer with its effects onto the band's rows of target;
	// with a clip, everything is limited to the clip's shape (its alpha
	// plane). Bands come in order, and the layer is the same each time: the
	// effects keep the rows of its shape that later bands still need.
	virtual status_t Composite(PSDShapeSource& layer, const PSDLayerLook& look, const PSDBand* clip,
	                           PSDBand& target, PSDEffectPart part = PSD_EFFECTS_ALL) = 0;
};

// The style's effects on the target, or null when none of them is on.
std::unique_ptr<PSDLayerEffects> psdMakeLayerEffects(const PSDLayerStyleSettings& style,
                                                     const PSDRenderTarget& target);

#endif
