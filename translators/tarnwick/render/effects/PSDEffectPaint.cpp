// What overlays and strokes paint with: a colour, a gradient or a pattern.

#include "PSDEffect.h"

#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>
#include <layers/PSDPatterns.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// A pattern tiled from an origin at a scale, its colours in the document's
// stored values.
class PSDPatternFill : public PSDFill {
public:
	PSDPatternFill(PSDPattern&& pattern, uint16 mode, int colours, double originX, double originY,
	               double scale)
	    : fPattern(std::move(pattern)), fMode(mode), fColours(colours), fOriginX(originX),
	      fOriginY(originY), fStep(1 / scale)
	{
	}

	void Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha) override
	{
		const int32 width = fPattern.width, height = fPattern.height;
		const int64 v = wrap((int64)std::floor((y - fOriginY) * fStep), height);
		const size_t rowAt = (size_t)v * width;
		for (uint32 i = 0; i < count; i++) {
			const int64 u = wrap((int64)std::floor((x + (int32)i - fOriginX) * fStep), width);
			float values[5];
			Sample(rowAt + (size_t)u, values);
			for (int c = 0; c < fColours; c++)
				colour[c][i] = values[c];
			alpha[i] = fPattern.Plane(fPattern.channels)[rowAt + (size_t)u];
		}
	}

private:
	static int64 wrap(int64 value, int64 period)
	{
		const int64 r = value % period;
		return r < 0 ? r + period : r;
	}

	// The pattern's channels at one pixel as the document's.
	void Sample(size_t at, float* values) const
	{
		const int channels = fPattern.channels;
		float own[4];
		for (int c = 0; c < channels && c < 4; c++)
			own[c] = fPattern.Plane(c)[at];
		if (channels == fColours) {
			std::copy(own, own + fColours, values);
		} else if (channels == 3 && fColours == 1) {
			values[0] = 0.299f * own[0] + 0.587f * own[1] + 0.114f * own[2];
		} else if (channels == 1 && fMode == PSD_MODE_CMYK) {
			values[0] = values[1] = values[2] = 1;
			values[3] = own[0];
		} else {
			for (int c = 0; c < fColours; c++)
				values[c] = own[std::min(c, channels - 1)];
		}
	}

	PSDPattern fPattern;
	uint16 fMode;
	int fColours;
	double fOriginX;
	double fOriginY;
	double fStep;
};

std::unique_ptr<PSDFill> solid(const PSDDescriptor& d, const PSDEffectContext& c)
{
	float colour[5] = {};
	const PSDDescriptor* value = d.Child("Clr ");
	if (value != nullptr)
		psdDescriptorColor(*value, c.target.mode, colour);
	return std::unique_ptr<PSDFill>(new (std::nothrow) PSDSolidFill(colour, c.target.colours));
}

std::unique_ptr<PSDFill> gradient(const PSDDescriptor& d, const PSDEffectContext& c,
                                  const PSDRect& box)
{
	const PSDRect canvas = {0, 0, c.target.width, c.target.height};
	PSDGradientFill fill;
	if (!fill.Init(d, c.target.mode, canvas, box))
		return solid(d, c);
	fill.SampleCentres();
	return std::unique_ptr<PSDFill>(new (std::nothrow) PSDGradientLayerFill(std::move(fill)));
}

std::unique_ptr<PSDFill> pattern(const PSDDescriptor& d, const PSDEffectContext& c,
                                 const PSDRect& box)
{
	const PSDDescriptor* which = d.Child("Ptrn");
	PSDPattern pattern;
	if (which == nullptr || c.globalBlocks == nullptr ||
	    !psdReadPattern(c.in, *c.globalBlocks, which->String("Idnt"), &pattern))
		return solid(d, c);
	const double scale = std::min(100.0, std::max(0.01, d.Number("Scl ", 100) / 100));
	const PSDDescriptor* phase = d.Child("phase");
	double x = phase != nullptr ? phase->Number("Hrzn", 0) : 0;
	double y = phase != nullptr ? phase->Number("Vrtc", 0) : 0;
	if (d.Bool("Algn", true)) {
		x += box.left;
		y += box.top;
	}
	if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9))
		x = y = 0;
	return std::unique_ptr<PSDFill>(new (std::nothrow) PSDPatternFill(
	    std::move(pattern), c.target.mode, c.target.colours, x, y, scale));
}

} // namespace

std::unique_ptr<PSDFill> psdEffectPaint(const PSDDescriptor& d, const PSDEffectContext& c,
                                        const std::string& kind, const PSDRect& layerBox)
{
	if (kind == "GrFl")
		return gradient(d, c, layerBox);
	if (kind == "Ptrn")
		return pattern(d, c, layerBox);
	return solid(d, c);
}
