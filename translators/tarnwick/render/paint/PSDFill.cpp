#include "PSDFill.h"

#include <algorithm>

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
