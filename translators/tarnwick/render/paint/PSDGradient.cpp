#include "PSDGradient.h"

#include <layers/style/PSDPaintReading.h>

#include <algorithm>
#include <cmath>

namespace {

double Clamp(double value, double low, double high)
{
	return std::min(high, std::max(low, value));
}

float SRGBToLinear(float v)
{
	return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
}

float LinearToSRGB(float v)
{
	v = std::min(1.0f, std::max(0.0f, v));
	return v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
}

std::vector<PSDGradientStop> linearStops(std::vector<PSDGradientStop> stops, int channels)
{
	for (PSDGradientStop& stop : stops) {
		for (int c = 0; c < channels; c++)
			stop.value[c] = SRGBToLinear(stop.value[c]);
	}
	return stops;
}

} // namespace

PSDGradientRamp::PSDGradientRamp(std::vector<PSDGradientStop> stops, int channels,
                                 double smoothness)
    : fStops(std::move(stops)),
      fChannels(std::min(std::max(channels, 1), PSD_GRADIENT_MAX_CHANNELS)),
      fSmoothness(Clamp(smoothness, 0, 1))
{
	for (PSDGradientStop& stop : fStops) {
		stop.location = Clamp(stop.location, 0, 1);
		// Photoshop keeps midpoints within 5 % and 95 %; never divide by 0.
		stop.midpoint = Clamp(stop.midpoint, 0.01, 0.99);
	}
	std::stable_sort(
	    fStops.begin(), fStops.end(),
	    [](const PSDGradientStop& a, const PSDGradientStop& b) { return a.location < b.location; });

	size_t count = fStops.size();
	fTangents.assign(count * fChannels, 0);
	auto slope = [this](size_t from, size_t to, int c) {
		double span = fStops[to].location - fStops[from].location;
		return span > 0 ? (fStops[to].value[c] - fStops[from].value[c]) / span : 0.0;
	};
	for (size_t i = 0; count > 1 && i < count; i++) {
		for (int c = 0; c < fChannels; c++) {
			double tangent;
			if (i == 0)
				tangent = slope(0, 1, c) / 2;
			else if (i == count - 1)
				tangent = slope(count - 2, count - 1, c) / 2;
			else
				tangent = slope(i - 1, i + 1, c);
			fTangents[i * fChannels + c] = (float)tangent;
		}
	}
}

void PSDGradientRamp::Evaluate(double t, float* values) const
{
	if (fStops.empty()) {
		std::fill(values, values + fChannels, 0.0f);
		return;
	}
	const PSDGradientStop& first = fStops.front();
	const PSDGradientStop& last = fStops.back();
	if (!(t > first.location) || fStops.size() == 1) {
		std::copy(first.value, first.value + fChannels, values);
		return;
	}
	if (t >= last.location) {
		std::copy(last.value, last.value + fChannels, values);
		return;
	}
	auto after = std::upper_bound(
	    fStops.begin(), fStops.end(), t,
	    [](double where, const PSDGradientStop& stop) { return where < stop.location; });
	size_t i = after - fStops.begin() - 1;
	const PSDGradientStop& a = fStops[i];
	const PSDGradientStop& b = fStops[i + 1];
	double span = b.location - a.location;
	double u = (t - a.location) / span;
	double mid = b.midpoint;
	u = u <= mid ? 0.5 * u / mid : 0.5 + 0.5 * (u - mid) / (1 - mid);

	double u2 = u * u, u3 = u2 * u;
	double h00 = 2 * u3 - 3 * u2 + 1, h10 = u3 - 2 * u2 + u;
	double h01 = -2 * u3 + 3 * u2, h11 = u3 - u2;
	for (int c = 0; c < fChannels; c++) {
		double v0 = a.value[c], v1 = b.value[c];
		double line = v1 - v0;
		double m0 = (1 - fSmoothness) * line + fSmoothness * fTangents[i * fChannels + c] * span;
		double m1 =
		    (1 - fSmoothness) * line + fSmoothness * fTangents[(i + 1) * fChannels + c] * span;
		double v = h00 * v0 + h10 * m0 + h01 * v1 + h11 * m1;
		values[c] = (float)Clamp(v, std::min(v0, v1), std::max(v0, v1));
	}
}

PSDGradient::PSDGradient(const PSDGradientSettings& gradient)
    : fColor(std::in_place,
             gradient.linearLight ? linearStops(gradient.colours, gradient.channels)
                                  : gradient.colours,
             gradient.channels, gradient.smoothness),
      fAlpha(std::in_place, gradient.alphas, 1, gradient.smoothness),
      fLinearLight(gradient.linearLight)
{
}

bool PSDGradient::SetFromDescriptor(const PSDDescriptor& gradient, uint16 mode, bool linearLight)
{
	PSDGradientSettings settings;
	if (!psdReadGradientStops(gradient, mode, &settings))
		return false;
	settings.linearLight = linearLight;
	*this = PSDGradient(settings);
	return true;
}

void PSDGradient::Evaluate(double t, float* color, float* alpha) const
{
	if (!fColor) {
		*alpha = 0;
		return;
	}
	fColor->Evaluate(t, color);
	for (int c = 0; c < fColor->Channels() && fLinearLight; c++)
		color[c] = LinearToSRGB(color[c]);
	fAlpha->Evaluate(t, alpha);
}
