// The adjustments whose blocks are descriptors: vibrance, and black & white.

#include "PSDAdjustmentReaders.h"

#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>

#include <algorithm>

std::optional<PSDVibranceSettings> psdReadVibrance(const PSDDescriptor& settings)
{
	PSDVibranceSettings vibrance;
	vibrance.vibrance = std::min(100.0, std::max(-100.0, settings.Number("vibrance", 0)));
	vibrance.saturation = std::min(100.0, std::max(-100.0, settings.Number("Strt", 0)));
	return vibrance;
}

std::optional<PSDBlackWhiteSettings> psdReadBlackWhite(const PSDDescriptor& settings)
{
	PSDBlackWhiteSettings blackWhite;
	const char* keys[] = {"Rd  ", "Yllw", "Grn ", "Cyn ", "Bl  ", "Mgnt"};
	const double defaults[] = {40, 60, 40, 60, 20, 80};
	for (int h = 0; h < 6; h++) {
		const double percent = settings.Number(keys[h], defaults[h]);
		blackWhite.weights[h] = std::min(300.0, std::max(-200.0, percent)) / 100;
	}
	const PSDDescriptor* tint = settings.Child("tintColor");
	blackWhite.tinted = settings.Bool("useTint", false) && tint != nullptr &&
	                    psdDescriptorColor(*tint, PSD_MODE_RGB, blackWhite.tint) == 3;
	return blackWhite;
}
