#ifndef PSD_GRADIENT_GEOMETRY_H
#define PSD_GRADIENT_GEOMETRY_H

#include <layers/PSDGeometry.h>

class PSDDescriptor;

enum PSDGradientShape {
	PSD_GRADIENT_LINEAR,
	PSD_GRADIENT_RADIAL,
	PSD_GRADIENT_ANGLE,
	PSD_GRADIENT_REFLECTED,
	PSD_GRADIENT_DIAMOND,
};

// Where a gradient lies on the canvas: the t of each pixel.
//
// As Photoshop places a gradient in a box: the centre is the box's centre
// moved by the offset (fractions of the box's size); the end point lies in the
// direction of the angle (degrees counter-clockwise, 0 pointing right) where
// that ray leaves the box, its distance times the scale. Linear gradients
// start as far the other way; the other shapes start at the centre. Both
// points are rounded down to whole pixels, and pixels are sampled at their
// integer coordinates.
class PSDGradientGeometry {
public:
	PSDGradientGeometry(PSDGradientShape shape, double angle, double scale, double offsetX,
	                    double offsetY, bool reverse, const PSDRect& box);

	// From a fill's or an effect's descriptor ('Type', 'Angl', 'Scl ', 'Ofst',
	// 'Rvrs', 'Algn'): the box is the layer's when aligned with it (the
	// default), else the document's. False for an unknown shape.
	static bool FromDescriptor(const PSDDescriptor& descriptor, const PSDRect& layer,
	                           const PSDRect& document, PSDGradientGeometry* geometry);

	// t along the gradient, not clamped: 0 at the start, 1 at the end.
	double At(int32 x, int32 y) const;
	// Layer effects sample pixels at their centres, not at their corners.
	void SampleCentres() { fSampleOffset = 0.5; }

private:
	PSDGradientShape fShape = PSD_GRADIENT_LINEAR;
	bool fReverse = false;
	double fStartX = 0, fStartY = 0;
	double fVectorX = 1, fVectorY = 0; // end minus start
	double fInverseLength2 = 1;        // 0 when start and end coincide
	double fAngle = 0;                 // of the vector, radians counter-clockwise
	double fSampleOffset = 0;
};

#endif
