#ifndef PSD_BLEND_MODE_H
#define PSD_BLEND_MODE_H

// Photoshop's blend modes, decided once when the file is read: records name
// them by four-character keys, layer styles by descriptor enums.

#include <SupportDefs.h>

#include <string>

enum PSDBlendMode : uint8 {
	PSD_BLEND_NORMAL,
	PSD_BLEND_DISSOLVE,
	PSD_BLEND_DARKEN,
	PSD_BLEND_MULTIPLY,
	PSD_BLEND_COLOR_BURN,
	PSD_BLEND_LINEAR_BURN,
	PSD_BLEND_DARKER_COLOR,
	PSD_BLEND_LIGHTEN,
	PSD_BLEND_SCREEN,
	PSD_BLEND_COLOR_DODGE,
	PSD_BLEND_LINEAR_DODGE,
	PSD_BLEND_LIGHTER_COLOR,
	PSD_BLEND_OVERLAY,
	PSD_BLEND_SOFT_LIGHT,
	PSD_BLEND_HARD_LIGHT,
	PSD_BLEND_VIVID_LIGHT,
	PSD_BLEND_LINEAR_LIGHT,
	PSD_BLEND_PIN_LIGHT,
	PSD_BLEND_HARD_MIX,
	PSD_BLEND_DIFFERENCE,
	PSD_BLEND_EXCLUSION,
	PSD_BLEND_SUBTRACT,
	PSD_BLEND_DIVIDE,
	PSD_BLEND_HUE,
	PSD_BLEND_SATURATION,
	PSD_BLEND_COLOR,
	PSD_BLEND_LUMINOSITY,
	// A group's: its layers blend with what lies below it as if not grouped.
	PSD_BLEND_PASS_THROUGH,
};

// From a record's key ('norm', 'mul ', 'pass', ...); unknown keys are normal.
PSDBlendMode psdBlendModeFromKey(uint32 key);
// From a descriptor's enum ("Nrml", "Mltp", "linearBurn", ...); unknown
// names are normal.
PSDBlendMode psdBlendModeFromName(const std::string& name);

#endif
