#ifndef PSD_MODEL_H
#define PSD_MODEL_H

// The layers of a document as rendering needs them, read once from the file
// before any pixel is drawn: the group tree, and for every layer what it is,
// how it blends and what limits it, in plain values. Channel pixel data stays
// in the file, located; rendering reads it through row sources.

#include "PSDBlendMode.h"
#include "PSDGeometry.h"
#include "PSDLayers.h"
#include "PSDVectorPath.h"
#include "adjustments/PSDAdjustmentSettings.h"
#include "style/PSDFillSettings.h"
#include "style/PSDLayerStyle.h"

#include <memory>
#include <vector>

// Deeper nesting than Photoshop allows is flattened into the group at this
// depth, so that neither the renderer's recursion nor its group buffers can
// grow with hostile input.
const int PSD_MAX_GROUP_DEPTH = 32;

enum PSDLayerKind : uint8 {
	PSD_LAYER_PIXELS,     // its channels are its picture (text, smart objects too)
	PSD_LAYER_GROUP,      // its children are
	PSD_LAYER_ADJUSTMENT, // it changes what lies below it
	PSD_LAYER_FILL,       // a fill drawn from its description (no kept pixels)
};

// One "blend if" range on the 0-255 scale: black low, black high, white low,
// white high; values between a low and its high show in part.
struct PSDBlendIfRange {
	uint8 blackLow = 0, blackHigh = 0, whiteLow = 255, whiteHigh = 255;

	bool CutsNothing() const { return blackHigh == 0 && whiteLow == 255; }
};

// Index 0 is the composite gray, 1 + c the colour channel c.
struct PSDBlendIfRanges {
	int count = 0; // of pairs read
	PSDBlendIfRange source[6];
	PSDBlendIfRange below[6];
};

// A layer mask with its pixels in a channel: they cover rect, and
// defaultColour lies all around.
struct PSDModelUserMask {
	bool present = false;
	PSDLayerChannel channel = {0, 0, 0};
	PSDRect rect = {0, 0, 0, 0};
	uint8 defaultColour = 0;
	uint8 density = 255; // 0 leaves everything showing
	double feather = 0;  // blur radius in document pixels
};

struct PSDModelVectorMask {
	bool present = false;
	PSDVectorPath path; // flattened once
	uint8 density = 255;
	double feather = 0;
};

// An artboard (a group): its layers show inside rect alone, over its
// background colour (stored values of the document's mode) unless that is
// transparent.
struct PSDModelArtboard {
	bool present = false;
	PSDRect rect = {0, 0, 0, 0};
	bool transparent = false;
	float background[5] = {};
};

struct PSDModelLayer {
	int record = -1; // index in the section's records; -1 for the document
	PSDLayerKind kind = PSD_LAYER_PIXELS;
	PSDRect bounds = {0, 0, 0, 0}; // of the channels' pixels
	PSDBlendMode blendMode = PSD_BLEND_NORMAL;
	float opacity = 1;
	float fill = 1;       // fill opacity: fades the pixels, not the effects
	bool clipped = false; // clipped to the base below it
	bool hidden = false;
	uint8 knockout = 0;     // 0 none, 1 shallow, 2 deep
	uint8 restrictions = 0; // a bit for each colour channel the layer leaves alone
	PSDBlendIfRanges blendIf;

	// Pixels: the colour channels by number, and the transparency; a
	// channel the layer lacks has length 0 (colour reads as 0, transparency
	// as opaque).
	std::vector<PSDLayerChannel> colour;
	PSDLayerChannel transparency = {PSD_CHANNEL_TRANSPARENCY, 0, 0};
	bool hasTransparency = false;

	PSDModelUserMask userMask;
	PSDModelVectorMask vectorMask;
	PSDModelArtboard artboard;

	// An adjustment layer's settings; null where it holds none read here.
	std::unique_ptr<PSDAdjustmentSettings> adjustment;
	// A fill layer's fill, and the box a gradient or pattern aligns with
	// when the layer has no path: its user mask's rectangle, or empty for
	// the document.
	PSDFillSettings fillPaint;
	PSDRect fillBox = {0, 0, 0, 0};
	// A shape's stroke along its path; its effects.
	PSDShapeStrokeSettings stroke;
	PSDLayerStyleSettings style;
	// A type layer's text box, which its effects align with; else empty.
	PSDRect textBox = {0, 0, 0, 0};
	// A shape shown by its kept pixels: where its path's anchors lie, which
	// its effects align with; else empty.
	PSDBounds keptShapeBounds = {0, 0, 0, 0};

	std::vector<PSDModelLayer> children; // a group's, bottom first
};

struct PSDModel {
	PSDModelLayer document; // its children are the stack, bottom first
	uint16 depth = 8;       // of the layers' channel data
	size_t records = 0;     // of the section, which the layers' indices count
};

#endif
