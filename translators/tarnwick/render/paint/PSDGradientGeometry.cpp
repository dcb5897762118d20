#include "PSDGradientGeometry.h"

#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

// Rounding down to whole pixels of `pixel`, forgiving the last bits of a
// sine or cosine that should have come out whole.
double FloorPixel(double value, double pixel)
{
	return std::floor(value / pixel + 1e-6) * pixel;
}

} // namespace

PSDGradientGeometry::PSDGradientGeometry(PSDGradientShape shape, double angle, double scale,
                                         double offsetX, double offsetY, bool reverse,
                                         const PSDBounds& box, double pixel)
    : fShape(shape), fReverse(reverse)
{
	double width = box.right - box.left;
	double height = box.bottom - box.top;
	double centerX = box.left + width / 2 + offsetX * width;
	double centerY = box.top + height / 2 + offsetY * height;
	double radians = angle * kPi / 180;
	double dx = std::cos(radians), dy = -std::sin(radians);
	// How far the ray from the centre goes before it leaves the box.
	double reach = HUGE_VAL;
	if (std::fabs(dx) > 1e-12)
		reach = width / 2 / std::fabs(dx);
	if (std::fabs(dy) > 1e-12)
		reach = std::fmin(reach, height / 2 / std::fabs(dy));
	reach *= scale;

	double endX = FloorPixel(centerX + reach * dx, pixel);
	double endY = FloorPixel(centerY + reach * dy, pixel);
	if (shape == PSD_GRADIENT_LINEAR) {
		fStartX = FloorPixel(centerX - reach * dx, pixel);
		fStartY = FloorPixel(centerY - reach * dy, pixel);
	} else {
		fStartX = FloorPixel(centerX, pixel);
		fStartY = FloorPixel(centerY, pixel);
	}
	fVectorX = endX - fStartX;
	fVectorY = endY - fStartY;
	double length2 = fVectorX * fVectorX + fVectorY * fVectorY;
	if (!(length2 > 0 && std::isfinite(length2)) || !std::isfinite(fStartX + fStartY)) {
		// Nothing to spread over (an empty box, absurd numbers): all at the start.
		fStartX = fStartY = fVectorX = fVectorY = 0;
		length2 = 0;
	}
	fInverseLength2 = length2 > 0 ? 1 / length2 : 0;
	fAngle = std::atan2(-fVectorY, fVectorX);
}

PSDGradientGeometry::PSDGradientGeometry(const PSDGradientSettings& gradient,
                                         const PSDBounds& layer, const PSDRect& document,
                                         double pixel)
    : PSDGradientGeometry(gradient.shape, gradient.angle, gradient.scale, gradient.offsetX,
                          gradient.offsetY, gradient.reverse,
                          gradient.alignWithLayer ? layer : toBounds(document), pixel)
{
}

double PSDGradientGeometry::At(int32 x, int32 y) const
{
	double px = x + fSampleOffset - fStartX, py = y + fSampleOffset - fStartY;
	double along = (px * fVectorX + py * fVectorY) * fInverseLength2;
	double t;
	switch (fShape) {
	case PSD_GRADIENT_LINEAR:
		t = along;
		break;
	case PSD_GRADIENT_REFLECTED:
		t = std::fabs(along);
		break;
	case PSD_GRADIENT_RADIAL:
		t = std::sqrt((px * px + py * py) * fInverseLength2);
		break;
	case PSD_GRADIENT_DIAMOND:
		t = std::fabs(along) + std::fabs((py * fVectorX - px * fVectorY) * fInverseLength2);
		break;
	default: {
		// Clockwise from the vector's direction, one turn from 0 to 1.
		double turn = (fAngle - std::atan2(-py, px)) / (2 * kPi);
		t = turn - std::floor(turn);
		break;
	}
	}
	return fReverse ? 1 - t : t;
}
