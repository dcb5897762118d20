#ifndef PSD_FILL_H
#define PSD_FILL_H

// What a fill layer paints: colour, and alpha where the fill has its own
// transparency (gradient stops), over the whole canvas.

#include "PSDGradientFill.h"

#include <SupportDefs.h>

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

#endif
