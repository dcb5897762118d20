#include "PSDAdjustmentColor.h"

#include <core/PSDCore.h>

#include <algorithm>
#include <cmath>

namespace {

double hueChannel(double p, double q, double hue)
{
	hue = hue - 360 * std::floor(hue / 360);
	if (hue < 60)
		return p + (q - p) * hue / 60;
	if (hue < 180)
		return q;
	if (hue < 240)
		return p + (q - p) * (240 - hue) / 60;
	return p;
}

} // namespace

double psdSaturationStretch(double amount)
{
	if (amount <= 0)
		return amount;
	return 1 / (1 - std::round(amount * 255) / 256) - 1;
}

void psdStretchSaturation(double rgb[3], double stretch)
{
	const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
	const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
	const double middle = (high + low) / 2;
	const double spread = 1 - std::fabs(high + low - 1);
	double factor = std::max(0.0, 1 + stretch);
	if (factor > 1 && high > low)
		factor = std::min(factor, spread / (high - low));
	for (int c = 0; c < 3; c++)
		rgb[c] = std::min(1.0, std::max(0.0, middle + (rgb[c] - middle) * factor));
}

void psdSetLuminosity(double rgb[3], double luminosity)
{
	auto lum = [rgb]() { return 0.3 * rgb[0] + 0.59 * rgb[1] + 0.11 * rgb[2]; };
	const double shift = luminosity - lum();
	for (int c = 0; c < 3; c++)
		rgb[c] += shift;
	const double l = lum();
	const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
	if (low < 0 && l > low) {
		for (int c = 0; c < 3; c++)
			rgb[c] = l + (rgb[c] - l) * l / (l - low);
	}
	const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
	if (high > 1 && high > l) {
		for (int c = 0; c < 3; c++)
			rgb[c] = l + (rgb[c] - l) * (1 - l) / (high - l);
	}
}

double psdHue(const double rgb[3])
{
	const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
	const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
	const double chroma = high - low;
	if (chroma <= 0)
		return -1;
	double hue;
	if (high == rgb[0])
		hue = (rgb[1] - rgb[2]) / chroma;
	else if (high == rgb[1])
		hue = (rgb[2] - rgb[0]) / chroma + 2;
	else
		hue = (rgb[0] - rgb[1]) / chroma + 4;
	hue *= 60;
	return hue < 0 ? hue + 360 : hue;
}

void psdHSLToRGB(double hue, double saturation, double lightness, double rgb[3])
{
	const double q = lightness < 0.5 ? lightness * (1 + saturation)
	                                 : lightness + saturation - lightness * saturation;
	const double p = 2 * lightness - q;
	rgb[0] = hueChannel(p, q, hue + 120);
	rgb[1] = hueChannel(p, q, hue);
	rgb[2] = hueChannel(p, q, hue - 120);
}

void psdRotateHue(double rgb[3], double degrees)
{
	const double hue = psdHue(rgb);
	if (hue < 0)
		return;
	const double high = std::max(rgb[0], std::max(rgb[1], rgb[2]));
	const double low = std::min(rgb[0], std::min(rgb[1], rgb[2]));
	const double lightness = (high + low) / 2;
	const double spread = 1 - std::fabs(2 * lightness - 1);
	const double saturation = spread > 0 ? (high - low) / spread : 0;
	psdHSLToRGB(hue + degrees, saturation, lightness, rgb);
}

bool PSDColorAdjustment::Handles(uint16 mode)
{
	return mode == PSD_MODE_RGB || mode == PSD_MODE_CMYK || mode == PSD_MODE_GRAYSCALE ||
	       mode == PSD_MODE_DUOTONE;
}

void PSDColorAdjustment::Apply(float* const colour[], uint32 count) const
{
	if (fMode != PSD_MODE_GRAYSCALE && fMode != PSD_MODE_DUOTONE) {
		ApplyRGB(colour[0], colour[1], colour[2], count);
		return;
	}
	const uint32 kChunk = 256;
	float red[kChunk], green[kChunk], blue[kChunk];
	for (uint32 start = 0; start < count; start += kChunk) {
		const uint32 n = std::min(kChunk, count - start);
		float* gray = colour[0] + start;
		std::copy(gray, gray + n, red);
		std::copy(gray, gray + n, green);
		std::copy(gray, gray + n, blue);
		ApplyRGB(red, green, blue, n);
		for (uint32 i = 0; i < n; i++)
			gray[i] = psdLuminosity(red[i], green[i], blue[i]);
	}
}
