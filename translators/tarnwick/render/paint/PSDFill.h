#ifndef PSD_FILL_H
#define PSD_FILL_H

// What a fill layer, an overlay or a stroke paints: colour, and alpha where
// the fill has its own transparency (gradient stops, a pattern's alpha),
// over the whole canvas.

#include "PSDGradientFill.h"
#include <render/PSDRenderTarget.h>

#include <layers/style/PSDPaintSettings.h>

#include <memory>

class PSDFill {
public:
	virtual ~PSDFill() {}
	// Pixels [x, x + count) of canvas row y: one plane per colour channel,
	// stored values, and alpha.
	virtual void Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha) = 0;
};

// A solid colour, given as stored channel values.
class PSDSolidFill : public PSDFill {
public:
	PSDSolidFill(const float* colour, int colours);
	void Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha) override;

private:
	float fColour[5];
	int fColours;
};

// A gradient, over any box it is aligned with.
class PSDGradientLayerFill : public PSDFill {
public:
	explicit PSDGradientLayerFill(PSDGradientFill&& gradient) : fGradient(std::move(gradient)) {}
	void Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha) override;

private:
	PSDGradientFill fGradient;
};

// A pattern tiled from an origin (canvas pixels) at a scale (canvas pixels
// per pattern pixel), its colours in the document's stored values; pixels
// are sampled `offset` into them.
class PSDPatternFill : public PSDFill {
public:
	PSDPatternFill(std::shared_ptr<const PSDPattern> pattern, uint16 mode, int colours,
	               double originX, double originY, double scale, double offset);
	void Row(int32 x, int32 y, uint32 count, float* const colour[], float* alpha) override;

private:
	void Sample(size_t at, float* values) const;

	std::shared_ptr<const PSDPattern> fPattern;
	uint16 fMode;
	int fColours;
	double fOriginX;
	double fOriginY;
	double fStep;
};

// The fill that paint settings describe on the target's canvas, aligned with
// box (canvas pixels) where the paint moves with the layer; sizes and
// positions in document pixels are scaled to the canvas. Gradients are
// sampled at pixels' corners, by fill layers and layer effects alike.
std::unique_ptr<PSDFill> psdMakeFill(const PSDPaintSettings& paint, const PSDRenderTarget& target,
                                     const PSDBounds& box);

#endif
