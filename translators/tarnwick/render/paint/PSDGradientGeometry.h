#ifndef PSD_GRADIENT_GEOMETRY_H
#define PSD_GRADIENT_GEOMETRY_H

#include <layers/PSDGeometry.h>
#include <layers/style/PSDPaintSettings.h>

// Where a gradient lies on the canvas: the t of each pixel.
//
// As Photoshop places a gradient in a box: the centre is the box's centre
// moved by the offset (fractions of the box's size); the end point lies in the
// direction of the angle (degrees counter-clockwise, 0 pointing right) where
// that ray leaves the box, its distance times the scale. Linear gradients
// start as far the other way; the other shapes start at the centre. Both
// points are rounded down to whole document pixels (`pixel` canvas pixels
// each), and pixels are sampled at their integer coordinates.
class PSDGradientGeometry {
public:
	PSDGradientGeometry(PSDGradientShape shape, double angle, double scale, double offsetX,
	                    double offsetY, bool reverse, const PSDBounds& box, double pixel = 1);

	// A gradient's: the box is the layer's when aligned with it, else the
	// document's.
	PSDGradientGeometry(const PSDGradientSettings& gradient, const PSDBounds& layer,
	                    const PSDRect& document, double pixel);

	// t along the gradient, not clamped: 0 at the start, 1 at the end.
	double At(int32 x, int32 y) const;
	// Where in a pixel it is sampled: fill layers at its corner (0), layer
	// effects at its centre (0.5).
	void SampleAt(double offset) { fSampleOffset = offset; }

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
