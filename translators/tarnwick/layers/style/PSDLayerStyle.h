#ifndef PSD_LAYER_STYLE_H
#define PSD_LAYER_STYLE_H

// A layer's style ('lfx2', or 'lmfx' where a shape layer has several strokes,
// or the older 'lrFX' where neither is there):
// its effects with their parameters, read once. Sizes and distances are in
// document pixels, angles in degrees with the global light already taken
// where an effect uses it.

#include "PSDPaintSettings.h"
#include <layers/PSDBlendMode.h>

#include <vector>

struct PSDModelContext;
class PSDPatternTable;

// Photoshop sets no effect size past this many pixels.
const double kPSDMostEffectSize = 250;

// Photoshop's order, from the bottom up: the layer's own pixels lie between
// the outer glow and the overlays.
enum PSDEffectKind : uint8 {
	PSD_EFFECT_DROP_SHADOW,
	PSD_EFFECT_OUTER_GLOW,
	PSD_EFFECT_PATTERN_OVERLAY,
	PSD_EFFECT_GRADIENT_OVERLAY,
	PSD_EFFECT_COLOUR_OVERLAY,
	PSD_EFFECT_SATIN,
	PSD_EFFECT_INNER_GLOW,
	PSD_EFFECT_INNER_SHADOW,
	PSD_EFFECT_STROKE,
	PSD_EFFECT_BEVEL, // bevel and emboss lights everything below it
};

// Where a stroke lies against the shape's edge.
enum PSDStrokePosition : uint8 {
	PSD_STROKE_OUTSIDE,
	PSD_STROKE_INSIDE,
	PSD_STROKE_CENTRE,
};

// Bevel and emboss: where its slope lies against the shape's edge.
enum PSDBevelStyle : uint8 {
	PSD_BEVEL_INNER,
	PSD_BEVEL_OUTER,
	PSD_BEVEL_EMBOSS,        // across the edge
	PSD_BEVEL_PILLOW_EMBOSS, // in, and out again around it
};

// One side of a bevel's light: how its highlight or shadow paints.
struct PSDBevelLight {
	PSDBlendMode blendMode = PSD_BLEND_NORMAL;
	float opacity = 1;
	PSDColour colour;
};

struct PSDBevelSettings {
	PSDBevelStyle style = PSD_BEVEL_INNER;
	bool smooth = true;   // else chiseled, by distance to the edge
	double depth = 1;     // 0.01 to 10: the slope's steepness
	bool up = true;       // the slope rises inward; down sinks it
	double soften = 0;    // a blur of the slope, in document pixels
	double altitude = 30; // of the light, degrees; the angle is the effect's
	PSDBevelLight shadow; // the highlight is the effect's own mode, opacity and paint
};

// A contour ('TrnS', 'MpgS'): output over input, both 0 to 1, through its
// points in order. Shadows and glows draw theirs; satin and bevels take
// theirs as linear.
struct PSDContourPoint {
	double input;
	double output;
	bool corner; // a sharp point, else a smooth one
};

struct PSDEffectSettings {
	PSDEffectKind kind = PSD_EFFECT_DROP_SHADOW;
	bool enabled = true;
	PSDBlendMode blendMode = PSD_BLEND_NORMAL;
	float opacity = 1;
	// Shadows, glows and satin paint a colour; overlays and strokes their
	// colour, gradient or pattern.
	PSDPaintSettings paint;
	double size = 0;                      // blur, glow or stroke size
	double distance = 0;                  // shadows and satin: how far the shape moves
	double angle = 0;                     // of the light (shadows) or the move (satin)
	double spread = 0;                    // spread or choke, 0 to 1
	std::vector<PSDContourPoint> contour; // empty: linear
	bool knockedOut = true;               // a drop shadow does not show under the layer
	bool precise = false;                 // glows: by distance rather than blurred
	bool fromCentre = false;              // inner glows: from the centre, not the edge
	bool inverted = true;                 // satin
	PSDStrokePosition position = PSD_STROKE_OUTSIDE;
	PSDBevelSettings bevel;
};

struct PSDLayerStyleSettings {
	bool enabled = false;                   // the style's master switch, and a style at all
	std::vector<PSDEffectSettings> effects; // in Photoshop's order, bottom first
	// The interior effects (overlays, satin, inner glow) blend with the
	// layer's pixels before its fill opacity fades them ('infx').
	bool interiorAsGroup = false;
};

// The layer's style; not enabled when it has none that can be read. Each
// kind keeps at most context.limits.effectsOfAKind effects.
PSDLayerStyleSettings psdReadLayerStyle(const PSDModelContext& context, const PSDLayer& layer,
                                        PSDPatternTable& patterns);

#endif
