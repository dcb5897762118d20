#include "PSDColourFormulas.h"

#include <core/PSDCore.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int linearByteExactly(float x)
{
	return (int)std::floor(255 * psdColourSrgbEncode((double)x) + 0.5);
}

float floatOf(uint32 bits)
{
	float x;
	memcpy(&x, &bits, sizeof(x));
	return x;
}

struct LinearTable : PSDLinearByteTable {
	LinearTable()
	{
		threshold[0] = 0;
		for (int b = 1; b <= 255; b++) {
			uint32 low = 0, high = kOneBits; // linearByteExactly(low) < b <= at high
			while (high - low > 1) {
				uint32 middle = low + (high - low) / 2;
				if (linearByteExactly(floatOf(middle)) >= b)
					high = middle;
				else
					low = middle;
			}
			threshold[b] = floatOf(high);
		}
		threshold[256] = INFINITY;
		for (uint32 top = 0; top <= kOneBits >> 16; top++)
			start[top] = (uint8)linearByteExactly(floatOf(top << 16));
	}
};

double clamp01(double value)
{
	return std::min(1.0, std::max(0.0, value));
}

void toRgb(PSDColourModel model, const double* v, double* rgb)
{
	switch (model) {
	case PSD_COLOUR_MODEL_CMYK:
		for (int i = 0; i < 3; i++)
			rgb[i] = (1 - v[i]) * (1 - v[3]);
		break;
	case PSD_COLOUR_MODEL_GRAY:
		rgb[0] = rgb[1] = rgb[2] = 1 - v[0];
		break;
	case PSD_COLOUR_MODEL_LAB:
		psdColourLabToSrgb(v, rgb);
		break;
	default:
		std::copy(v, v + 3, rgb);
		break;
	}
}

} // namespace

double psdColourSrgbEncode(double linear)
{
	return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

const PSDLinearByteTable& psdColourLinearByteTable()
{
	static const LinearTable table;
	return table;
}

uint8 psdColourLinearByte(float x)
{
	return psdColourLinearByteTable().Byte(x);
}

void psdColourHsbToRgb(double hue, double saturation, double brightness, double rgb[3])
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

void psdColourLabToSrgb(const double lab[3], double rgb[3])
{
	auto finv = [](double t) {
		return t > 6.0 / 29 ? t * t * t : 3 * (6.0 / 29) * (6.0 / 29) * (t - 4.0 / 29);
	};
	double fy = (lab[0] + 16) / 116;
	// The D50 white point, then sRGB's matrix adapted to D50 (Bradford).
	double x = 0.9642 * finv(fy + lab[1] / 500);
	double y = finv(fy);
	double z = 0.8249 * finv(fy - lab[2] / 200);
	rgb[0] = psdColourSrgbEncode(clamp01(3.1338561 * x - 1.6168667 * y - 0.4906146 * z));
	rgb[1] = psdColourSrgbEncode(clamp01(-0.9787684 * x + 1.9161415 * y + 0.0334540 * z));
	rgb[2] = psdColourSrgbEncode(clamp01(0.0719453 * x - 0.2289914 * y + 1.4052427 * z));
}

int psdColourStoredValues(PSDColourModel model, const double values[4], uint16 mode, float* stored)
{
	if (model == PSD_COLOUR_MODEL_NONE)
		return 0;
	double rgb[3];
	toRgb(model, values, rgb);
	switch (mode) {
	case PSD_MODE_RGB:
		for (int i = 0; i < 3; i++)
			stored[i] = (float)rgb[i];
		return 3;
	case PSD_MODE_GRAYSCALE:
		if (model == PSD_COLOUR_MODEL_GRAY)
			stored[0] = (float)(1 - values[0]);
		else if (model == PSD_COLOUR_MODEL_LAB)
			stored[0] = (float)clamp01(values[0] / 100);
		else
			stored[0] = (float)(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]);
		return 1;
	case PSD_MODE_CMYK: {
		double ink[4] = {0, 0, 0, 0};
		if (model == PSD_COLOUR_MODEL_CMYK) {
			std::copy(values, values + 4, ink);
		} else if (model == PSD_COLOUR_MODEL_GRAY) {
			ink[3] = values[0];
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
