#ifndef PSD_FILL_SETTINGS_H
#define PSD_FILL_SETTINGS_H

// What fill layers and shape layers paint, read once: the fill ('SoCo',
// 'GdFl', 'PtFl', or a shape layer's vector content 'vscg') and the stroke
// along a shape's path ('vstk').

#include "PSDLayerStyle.h"

// A fill that can be drawn from its description: solid, a gradient of stops
// or a pattern the document holds. Not present for layers without one, and
// for noise gradients and patterns that cannot be had, which show the pixels
// Photoshop kept.
struct PSDFillSettings {
	bool present = false;
	PSDPaintSettings paint;
};

// A shape layer's stroke, in a solid colour.
struct PSDShapeStrokeSettings {
	bool enabled = false;
	bool fill = true; // whether the shape is filled at all
	double width = 0; // document pixels
	PSDStrokePosition position = PSD_STROKE_INSIDE;
	float opacity = 1;
	PSDColour colour;
};

PSDFillSettings psdReadFill(const PSDModelContext& context, const PSDLayer& layer,
                            PSDPatternTable& patterns);
PSDShapeStrokeSettings psdReadShapeStroke(const PSDModelContext& context, const PSDLayer& layer);

#endif
