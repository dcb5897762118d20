#include "PSDDescriptorColor.h"

#include "PSDDescriptor.h"
#include <core/PSDCore.h>

#include <algorithm>
#include <cmath>

namespace {

enum ColorModel { MODEL_NONE, MODEL_RGB, MODEL_CMYK, MODEL_GRAY, MODEL_LAB };

// Components as found: RGB, CMYK ink and gray ink in [0, 1]; Lab as written.
struct SourceColor {
	ColorModel model = MODEL_NONE;
	double v[4] = {0, 0, 0, 0};
};

double Clamp01(double value)
{
	return std::min(1.0, std::max(0.0, value));
}

void HSBToRGB(double hue, double saturation, double brightness, double* rgb)
{
	// Each channel falls off linearly around its own point of the hue circle.
	const double offsets[3] = {5, 3, 1};
	for (int i = 0; i < 3; i++) {
		double k = std::fmod(offsets[i] + hue / 60.0, 6.0);
		if (k < 0)
			k += 6.0;
		double fall = std::max(0.0, std::min(1.0, std::min(k, 4.0 - k)));
		rgb[i] = brightness * (1.0 - saturation * fall);
	}
}

// Keys decide the model rather than the class, so that book colours, which
// carry the components of their own model, read the same way.
SourceColor ReadSource(const PSDDescriptor& color)
{
	SourceColor source;
	if (color.Find("Rd  ") != nullptr) {
		source.model = MODEL_RGB;
		source.v[0] = color.Number("Rd  ", 0) / 255.0;
		source.v[1] = color.Number("Grn ", 0) / 255.0;
		source.v[2] = color.Number("Bl  ", 0) / 255.0;
	} else if (color.Find("redFloat") != nullptr) {
		source.model = MODEL_RGB;
		source.v[0] = color.Number("redFloat", 0);
		source.v[1] = color.Number("greenFloat", 0);
		source.v[2] = color.Number("blueFloat", 0);
	} else if (color.Find("H   ") != nullptr) {
		source.model = MODEL_RGB;
		HSBToRGB(color.Number("H   ", 0), Clamp01(color.Number("Strt", 0) / 100.0),
		         Clamp01(color.Number("Brgh", 0) / 100.0), source.v);
	} else if (color.Find("Cyn ") != nullptr) {
		source.model = MODEL_CMYK;
		source.v[0] = color.Number("Cyn ", 0) / 100.0;
		source.v[1] = color.Number("Mgnt", 0) / 100.0;
		source.v[2] = color.Number("Ylw ", 0) / 100.0;
		source.v[3] = color.Number("Blck", 0) / 100.0;
	} else if (color.Find("Gry ") != nullptr) {
		source.model = MODEL_GRAY;
		source.v[0] = color.Number("Gry ", 0) / 100.0;
	} else if (color.Find("Lmnc") != nullptr) {
		source.model = MODEL_LAB;
		source.v[0] = color.Number("Lmnc", 0);
		source.v[1] = color.Number("A   ", 0);
		source.v[2] = color.Number("B   ", 0);
	}
	for (int i = 0; i < 4 && source.model != MODEL_LAB; i++)
		source.v[i] = Clamp01(source.v[i]);
	return source;
}

double SRGBEncode(double linear)
{
	linear = Clamp01(linear);
	return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

void LabToRGB(const double* lab, double* rgb)
{
	auto finv = [](double t) {
		return t > 6.0 / 29 ? t * t * t : 3 * (6.0 / 29) * (6.0 / 29) * (t - 4.0 / 29);
	};
	double fy = (lab[0] + 16) / 116;
	// The D50 white point, then sRGB's matrix adapted to D50 (Bradford).
	double x = 0.9642 * finv(fy + lab[1] / 500);
	double y = finv(fy);
	double z = 0.8249 * finv(fy - lab[2] / 200);
	rgb[0] = SRGBEncode(3.1338561 * x - 1.6168667 * y - 0.4906146 * z);
	rgb[1] = SRGBEncode(-0.9787684 * x + 1.9161415 * y + 0.0334540 * z);
	rgb[2] = SRGBEncode(0.0719453 * x - 0.2289914 * y + 1.4052427 * z);
}

void ToRGB(const SourceColor& source, double* rgb)
{
	switch (source.model) {
	case MODEL_CMYK:
		for (int i = 0; i < 3; i++)
			rgb[i] = (1 - source.v[i]) * (1 - source.v[3]);
		break;
	case MODEL_GRAY:
		rgb[0] = rgb[1] = rgb[2] = 1 - source.v[0];
		break;
	case MODEL_LAB:
		LabToRGB(source.v, rgb);
		break;
	default:
		std::copy(source.v, source.v + 3, rgb);
		break;
	}
}

} // namespace

int psdDescriptorColor(const PSDDescriptor& color, uint16 mode, float* stored)
{
	SourceColor source = ReadSource(color);
	if (source.model == MODEL_NONE)
		return 0;
	double rgb[3];
	ToRGB(source, rgb);
	switch (mode) {
	case PSD_MODE_RGB:
		for (int i = 0; i < 3; i++)
			stored[i] = (float)rgb[i];
		return 3;
	case PSD_MODE_GRAYSCALE:
		if (source.model == MODEL_GRAY)
			stored[0] = (float)(1 - source.v[0]);
		else if (source.model == MODEL_LAB)
			stored[0] = (float)Clamp01(source.v[0] / 100);
		else
			stored[0] = (float)(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]);
		return 1;
	case PSD_MODE_CMYK: {
		double ink[4] = {0, 0, 0, 0};
		if (source.model == MODEL_CMYK) {
			std::copy(source.v, source.v + 4, ink);
		} else if (source.model == MODEL_GRAY) {
			ink[3] = source.v[0];
		} else {
			ink[3] = 1 - std::max(rgb[0], std::max(rgb[1], rgb[2]));
			for (int i = 0; i < 3 && ink[3] < 1; i++)
				ink[i] = (1 - rgb[i] - ink[3]) / (1 - ink[3]);
		}
		for (int i = 0; i < 4; i++)
			stored[i] = (float)(1 - ink[i]);
		return 4;
	}
	default:
		return 0;
	}
}
