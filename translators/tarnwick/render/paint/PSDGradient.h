#ifndef PSD_GRADIENT_H
#define PSD_GRADIENT_H

#include <layers/style/PSDPaintSettings.h>

#include <optional>
#include <vector>

class PSDDescriptor;

// Values of a few channels along t in [0, 1] through stops, as Photoshop
// blends them. Between two stops the curve is a cubic Hermite piece whose
// tangents are Catmull-Rom's (from the neighbouring stops; at the ends half
// the slope of the end piece), mixed with the straight line by the smoothness
// (0 straight, 1 the full curve), and clamped to the two stops' values. The
// midpoint bends t piecewise linearly before the piece is evaluated.
class PSDGradientRamp {
public:
	// Stops in any order; ties keep their given order.
	PSDGradientRamp(std::vector<PSDGradientStop> stops, int channels, double smoothness);

	// Before the first stop the first value holds, after the last the last.
	void Evaluate(double t, float* values) const;
	int Channels() const { return fChannels; }

private:
	std::vector<PSDGradientStop> fStops;
	std::vector<float> fTangents; // per stop and channel, in value per unit of t
	int fChannels;
	double fSmoothness;
};

// A gradient's colour and transparency, in the stored channel values of the
// document's colour mode. In linear light the colour blends with the sRGB
// curve undone.
class PSDGradient {
public:
	PSDGradient() {}
	explicit PSDGradient(const PSDGradientSettings& gradient);
	// From a 'Grdn' descriptor as gradient maps keep it, in linear light or
	// not; false where it cannot be drawn (see psdReadGradientStops).
	bool SetFromDescriptor(const PSDDescriptor& gradient, uint16 mode, bool linearLight);

	// The colour as Channels() values, and the alpha, at t.
	void Evaluate(double t, float* color, float* alpha) const;
	int Channels() const { return fColor ? fColor->Channels() : 0; }

private:
	std::optional<PSDGradientRamp> fColor;
	std::optional<PSDGradientRamp> fAlpha;
	bool fLinearLight = false;
};

#endif
