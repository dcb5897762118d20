#ifndef PSD_ADJUSTMENT_SETTINGS_H
#define PSD_ADJUSTMENT_SETTINGS_H

// Adjustment layers' settings as the file gives them, checked and scaled to
// the units rendering works in: fractions of full scale (1 is 255, or 100 %)
// unless a field says otherwise. Each field holds only what Photoshop's own
// ranges allow, and lists are capped, whatever the file claims. Colours are
// converted when they are read: to the document's stored values, or to red,
// green and blue where the adjustment works on those.

#include <layers/PSDLayers.h>
#include <layers/PSDModelContext.h>

#include <memory>
#include <variant>
#include <vector>

// The colour channels a document renders at most (CMYK).
const int PSD_ADJUSTMENT_MOST_COLOURS = 4;

// Levels: each channel's input range stretched to its output range through a
// gamma; the composite's levels apply after the channel's own.
struct PSDLevelsRecord {
	double inputFloor = 0, inputCeiling = 1;
	double outputFloor = 0, outputCeiling = 1;
	double gamma = 1; // 0.1 to 9.99
};

struct PSDLevelsSettings {
	// The composite's, then channel 0's, 1's, ...: as many as the block holds
	// whole, up to the composite and PSD_ADJUSTMENT_MOST_COLOURS channels.
	std::vector<PSDLevelsRecord> records;
};

// Curves: each channel's curve, then the composite's.
struct PSDCurvePoint {
	double input, output;
};

struct PSDCurvesSettings {
	// The composite's curve, then channel 0's, 1's, ...; empty where the
	// block has none. The points as stored (at most 256), in any order; a
	// curve drawn by hand is its 256 values at every 8-bit input.
	std::vector<PSDCurvePoint> curves[PSD_ADJUSTMENT_MOST_COLOURS + 1];
};

struct PSDBrightnessContrastSettings {
	// The legacy form: brightness -150 to 150 and the mean (0 to 255) in
	// levels of 255, contrast -100 to 100 in percent. The current form (from
	// 'CgEd', unless it asks for the legacy one): brightness -150 to 150 and
	// contrast -50 to 100, Photoshop's slider values.
	bool legacy = true;
	double brightness = 0;
	double contrast = 0;
	double mean = 127;
};

struct PSDExposureSettings {
	double exposure = 0; // stops, -20 to 20
	double offset = 0;   // -0.5 to 0.5
	double gamma = 1;    // 0.01 to 9.99
};

struct PSDVibranceSettings {
	double vibrance = 0;   // -100 to 100
	double saturation = 0; // -100 to 100
};

struct PSDHueSaturationAmounts {
	double hue = 0;        // degrees, -180 to 180
	double saturation = 0; // -1 to 1
	double lightness = 0;  // -1 to 1
};

// A range of hues: full effect from `begin` to `end`, fading in from `fadeIn`
// and out to `fadeOut`; degrees as stored, going round.
struct PSDHueRange {
	double fadeIn = 0, begin = 0, end = 0, fadeOut = 0;
	PSDHueSaturationAmounts amounts;
};

struct PSDHueSaturationSettings {
	bool colorize = false;
	// Colorize's hue runs 0 to 360, its saturation 0 to 1.
	PSDHueSaturationAmounts colorization;
	PSDHueSaturationAmounts master;
	PSDHueRange ranges[6];
};

struct PSDColorBalanceSettings {
	// Shadows, midtones, highlights; each cyan-red, magenta-green and
	// yellow-blue, -1 to 1.
	double amounts[3][3] = {};
	bool preserveLuminosity = false;
};

struct PSDBlackWhiteSettings {
	// Red, yellow, green, cyan, blue, magenta: -2 to 3.
	double weights[6] = {0.4, 0.6, 0.4, 0.6, 0.2, 0.8};
	bool tinted = false;
	float tint[3] = {}; // red, green, blue
};

struct PSDPhotoFilterSettings {
	float colour[3] = {}; // red, green, blue
	double density = 0;
	bool preserveLuminosity = false;
};

// One output channel: the weights of up to four input channels, then a
// constant; -2 to 2 each.
struct PSDChannelMix {
	double weight[PSD_ADJUSTMENT_MOST_COLOURS] = {};
	double constant = 0;
};

struct PSDChannelMixerSettings {
	bool monochrome = false;          // every channel takes the first mix
	std::vector<PSDChannelMix> mixes; // as many as the block holds whole, up to 4
};

struct PSDInvertSettings {};

struct PSDPosterizeSettings {
	int levels = 2; // 2 to 255
};

struct PSDThresholdSettings {
	int level = 128; // 1 to 255, in levels of 255
};

// A gradient map's colour stop: location and midpoint as gradient fills
// hold them (the midpoint a fraction of the way to the stop), the colour in
// the document's stored values.
struct PSDGradientMapStop {
	double location = 0; // 0 to 1
	double midpoint = 0.5;
	float colour[PSD_ADJUSTMENT_MOST_COLOURS] = {};
};

struct PSDGradientMapSettings {
	bool reversed = false;
	bool linear = false;                   // blended with the sRGB curve undone
	double smoothness = 1;                 // as stored: 1 is 100 %
	int channels = 0;                      // values of each stop's colour
	std::vector<PSDGradientMapStop> stops; // at least one, at most 1024
};

struct PSDSelectiveColorSettings {
	bool relative = false;
	// Reds, yellows, greens, cyans, blues, magentas, whites, neutrals,
	// blacks; each cyan, magenta, yellow and black ink, -1 to 1.
	double inks[9][4] = {};
};

// A colour lookup through a 3D table: the bytes of a .cube file, located in
// the file and read only when the adjustment is rendered.
struct PSDColorLookupSettings {
	PSDBlock table = {0, 0, 0};
};

struct PSDAdjustmentSettings {
	std::variant<PSDLevelsSettings, PSDCurvesSettings, PSDBrightnessContrastSettings,
	             PSDExposureSettings, PSDVibranceSettings, PSDHueSaturationSettings,
	             PSDColorBalanceSettings, PSDBlackWhiteSettings, PSDPhotoFilterSettings,
	             PSDChannelMixerSettings, PSDInvertSettings, PSDPosterizeSettings,
	             PSDThresholdSettings, PSDGradientMapSettings, PSDSelectiveColorSettings,
	             PSDColorLookupSettings>
	    kind;
};

// Whether the layer is an adjustment layer, read here or not: its pixels are
// no part of the picture either way.
bool psdIsAdjustmentLayer(const PSDLayer& record);

// The layer's adjustment settings, read from its blocks through the stream;
// null when it holds none that is read here, or its block is damaged.
std::unique_ptr<PSDAdjustmentSettings> psdReadAdjustmentSettings(const PSDModelContext& context,
                                                                 const PSDLayer& record);

#endif
