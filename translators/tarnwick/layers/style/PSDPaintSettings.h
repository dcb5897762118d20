#ifndef PSD_PAINT_SETTINGS_H
#define PSD_PAINT_SETTINGS_H

// What fills, shape strokes and layer effects paint with, as read from their
// descriptors: a colour, a gradient or a pattern. Colours are the document's
// stored channel values (see psdDescriptorColor); sizes and positions are in
// document pixels.

#include <layers/PSDPatterns.h>

#include <memory>
#include <string>
#include <vector>

// Stored channel values, each in [0, 1]; the mode's colour channels are used.
struct PSDColour {
	float value[5] = {};
};

const int PSD_GRADIENT_MAX_CHANNELS = 4;

// One stop: where (0 to 1), where the blend towards the next stop is half
// done (0 to 1 of the way, Photoshop's midpoint), and the channel values.
struct PSDGradientStop {
	double location;
	double midpoint;
	float value[PSD_GRADIENT_MAX_CHANNELS];
};

enum PSDGradientShape : uint8 {
	PSD_GRADIENT_LINEAR,
	PSD_GRADIENT_RADIAL,
	PSD_GRADIENT_ANGLE,
	PSD_GRADIENT_REFLECTED,
	PSD_GRADIENT_DIAMOND,
};

// A gradient Photoshop draws from stops (noise gradients are not kept here),
// and where it lies in the box it aligns with.
struct PSDGradientSettings {
	int channels = 1;                     // of the colour stops' values
	std::vector<PSDGradientStop> colours; // stored values, in file order
	std::vector<PSDGradientStop> alphas;  // value[0] the opacity; never empty
	double smoothness = 1;                // 0 straight, 1 Photoshop's full curve
	// The colour blends in linear light (newer files' "Linear" method, in
	// RGB and grayscale documents).
	bool linearLight = false;
	PSDGradientShape shape = PSD_GRADIENT_LINEAR;
	double angle = 90;               // degrees counter-clockwise, 0 pointing right
	double scale = 1;                // of the reach from the box's centre
	double offsetX = 0, offsetY = 0; // fractions of the box's size
	bool reverse = false;
	bool alignWithLayer = true; // else with the document
};

// A pattern tiled from an origin; the pattern is the table's, shared.
struct PSDPatternSettings {
	std::string id;
	std::shared_ptr<const PSDPattern> pattern; // null when it cannot be had
	double scale = 1;
	double phaseX = 0, phaseY = 0; // document pixels
	bool alignWithLayer = true;    // the origin moves with the layer's box
};

enum PSDPaintKind : uint8 {
	PSD_PAINT_SOLID,
	PSD_PAINT_GRADIENT,
	PSD_PAINT_PATTERN,
};

struct PSDPaintSettings {
	PSDPaintKind kind = PSD_PAINT_SOLID;
	PSDColour colour; // the solid colour; what the others fall back to
	PSDGradientSettings gradient;
	PSDPatternSettings pattern;
};

#endif
