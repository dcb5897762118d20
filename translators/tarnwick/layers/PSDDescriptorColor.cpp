#include "PSDDescriptorColor.h"

#include "PSDDescriptor.h"
#include <core/PSDCore.h>

#include <colour/PSDColourFormulas.h>

#include <algorithm>

namespace {

// Components as found: RGB, CMYK ink and gray ink in [0, 1]; Lab as written.
struct SourceColor {
	PSDColourModel model = PSD_COLOUR_MODEL_NONE;
	double v[4] = {0, 0, 0, 0};
};

double Clamp01(double value)
{
	return std::min(1.0, std::max(0.0, value));
}

// Keys decide the model rather than the class, so that book colours, which
// carry the components of their own model, read the same way.
SourceColor ReadSource(const PSDDescriptor& color)
{
	SourceColor source;
	if (color.Find("Rd  ") != nullptr) {
		source.model = PSD_COLOUR_MODEL_RGB;
		source.v[0] = color.Number("Rd  ", 0) / 255.0;
		source.v[1] = color.Number("Grn ", 0) / 255.0;
		source.v[2] = color.Number("Bl  ", 0) / 255.0;
	} else if (color.Find("redFloat") != nullptr) {
		source.model = PSD_COLOUR_MODEL_RGB;
		source.v[0] = color.Number("redFloat", 0);
		source.v[1] = color.Number("greenFloat", 0);
		source.v[2] = color.Number("blueFloat", 0);
	} else if (color.Find("H   ") != nullptr) {
		source.model = PSD_COLOUR_MODEL_RGB;
		psdColourHsbToRgb(color.Number("H   ", 0), Clamp01(color.Number("Strt", 0) / 100.0),
		                  Clamp01(color.Number("Brgh", 0) / 100.0), source.v);
	} else if (color.Find("Cyn ") != nullptr) {
		source.model = PSD_COLOUR_MODEL_CMYK;
		source.v[0] = color.Number("Cyn ", 0) / 100.0;
		source.v[1] = color.Number("Mgnt", 0) / 100.0;
		source.v[2] = color.Number("Ylw ", 0) / 100.0;
		source.v[3] = color.Number("Blck", 0) / 100.0;
	} else if (color.Find("Gry ") != nullptr) {
		source.model = PSD_COLOUR_MODEL_GRAY;
		source.v[0] = color.Number("Gry ", 0) / 100.0;
	} else if (color.Find("Lmnc") != nullptr) {
		source.model = PSD_COLOUR_MODEL_LAB;
		source.v[0] = color.Number("Lmnc", 0);
		source.v[1] = color.Number("A   ", 0);
		source.v[2] = color.Number("B   ", 0);
	}
	for (int i = 0; i < 4 && source.model != PSD_COLOUR_MODEL_LAB; i++)
		source.v[i] = Clamp01(source.v[i]);
	return source;
}

} // namespace

int psdDescriptorColor(const PSDDescriptor& color, uint16 mode, float* stored)
{
	const SourceColor source = ReadSource(color);
	return psdColourStoredValues(source.model, source.v, mode, stored);
}
