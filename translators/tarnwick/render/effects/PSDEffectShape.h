#ifndef PSD_EFFECT_SHAPE_H
#define PSD_EFFECT_SHAPE_H

// A layer's shape held whole over the area its effects reach, and the planes
// effects are made of: grown and shrunk shapes, blurs, shifts. Every plane
// covers the same canvas area, row after row.

#include <render/compose/PSDLayerPainter.h>

#include <vector>

typedef std::vector<float> PSDPlane;

class PSDEffectShape {
public:
	// Paints the layer's shape over area, which may stretch past the canvas.
	// Effects align with box (the layer's bounds); where it is empty, with
	// the box of the shape's pixels.
	status_t Init(PSDLayerPainter& painter, const PSDRect& area, const PSDRect& box);
	// A shape already drawn: alpha holds the area's pixels.
	void Init(const PSDRect& area, PSDPlane&& alpha, const PSDRect& box);

	const PSDRect& Area() const { return fArea; }
	int32 Width() const { return fArea.right - fArea.left; }
	int32 Height() const { return fArea.bottom - fArea.top; }
	size_t Size() const { return (size_t)Width() * Height(); }
	const PSDPlane& Alpha() const { return fAlpha; }
	// The box effects align with.
	PSDRect Bounds() const { return fBounds; }

	// The distance from each pixel's centre to the shape's edge, negative
	// inside, made on first use; null when it cannot be had.
	const float* Distance();

	// The shape grown outward by radius pixels, or (negative) shrunk;
	// with inverse, the same of the space around the shape.
	status_t Grown(double radius, bool inverse, PSDPlane* plane);

	status_t Allocate(PSDPlane* plane) const;
	// Frees the planes once the effects are made; the area stays known.
	void Release()
	{
		PSDPlane().swap(fAlpha);
		PSDPlane().swap(fDistance);
	}

private:
	PSDRect fArea = {0, 0, 0, 0};
	PSDRect fBounds = {0, 0, 0, 0};
	PSDPlane fAlpha;
	PSDPlane fDistance;
};

// Effect sizes are Photoshop's pixels of spread; its blur fits a Gaussian of
// this many sigmas per pixel of size.
double psdEffectBlurRadius(double size);

// Blurs a plane of the shape's area by an effect size; beyond the area the
// plane's edge goes on.
status_t psdEffectBlur(const PSDEffectShape& shape, PSDPlane& plane, double size);

// Moves a plane by (dx, dy) whole pixels; what comes in from beyond is
// `outside`.
void psdEffectShift(const PSDEffectShape& shape, PSDPlane& plane, int32 dx, int32 dy,
                    float outside);

#endif
