#include "PSDFill.h"

#include <core/PSDCore.h>

#include <algorithm>
#include <cmath>

namespace {

int64 wrap(int64 value, int64 period)
{
	const int64 r = value % period;
	return r < 0 ? r + period : r;
}

} // namespace

PSDSolidFill::PSDSolidFill(const float* colour, int colours) : fColours(colours)
{
	std::copy(colour, colour + colours, fColour);
}

void PSDSolidFill::Row(int32, int32, uint32 count, float* const colour[], float* alpha)
{
	for (int c = 0; c < fColours; c++)
		std::fill(colour[c], colour[c] + count, fColour[c]);
	std::fill(alpha, alpha + count, 1.0f);
}

void PSDGradientLayerFill::Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha)
{
	fGradient.Render({x, y, x + (int32)count, y + 1}, colour, alpha, count);
}

PSDPatternFill::PSDPatternFill(std::shared_ptr<const PSDPattern> pattern, uint16 mode, int colours,
                               double originX, double originY, double scale, double offset)
    : fPattern(std::move(pattern)), fMode(mode), fColours(colours), fOriginX(originX - offset),
      fOriginY(originY - offset), fStep(1 / scale)
{
}

void PSDPatternFill::Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha)
{
	const int32 width = fPattern->width, height = fPattern->height;
	const int64 v = wrap((int64)std::floor((y - fOriginY) * fStep), height);
	const size_t rowAt = (size_t)v * width;
	for (uint32 i = 0; i < count; i++) {
		const int64 u = wrap((int64)std::floor((x + (int32)i - fOriginX) * fStep), width);
		float values[5];
		Sample(rowAt + (size_t)u, values);
		for (int c = 0; c < fColours; c++)
			colour[c][i] = values[c];
		alpha[i] = fPattern->Sample(fPattern->channels, rowAt + (size_t)u);
	}
}

// The pattern's channels at one pixel as the document's.
void PSDPatternFill::Sample(size_t at, float* values) const
{
	const int channels = fPattern->channels;
	float own[4];
	for (int c = 0; c < channels && c < 4; c++)
		own[c] = fPattern->Sample(c, at);
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

std::unique_ptr<PSDFill> psdMakeFill(const PSDPaintSettings& paint, const PSDRenderTarget& target,
                                     const PSDBounds& box)
{
	const PSDRect canvas = {0, 0, target.width, target.height};
	if (paint.kind == PSD_PAINT_GRADIENT) {
		PSDGradientFill gradient(paint.gradient, canvas, box, target.scale);
		// Photoshop samples a pixel's gradient at its corner. A canvas pixel
		// of a reduced rendering stands for the mean of the document's
		// pixels it covers: sampled where their samples lie on average.
		gradient.SampleAt(0.5 - 0.5 * target.scale);
		return std::make_unique<PSDGradientLayerFill>(std::move(gradient));
	}
	if (paint.kind == PSD_PAINT_PATTERN) {
		const PSDPatternSettings& pattern = paint.pattern;
		double x = pattern.phaseX * target.scale, y = pattern.phaseY * target.scale;
		if (pattern.alignWithLayer) {
			x += box.left;
			y += box.top;
		}
		if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9))
			x = y = 0;
		return std::make_unique<PSDPatternFill>(pattern.pattern, target.mode, target.colours, x, y,
		                                        pattern.scale * target.scale,
		                                        0.5 - 0.5 * target.scale);
	}
	return std::make_unique<PSDSolidFill>(paint.colour.value, target.colours);
}
