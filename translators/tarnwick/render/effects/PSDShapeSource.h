#ifndef PSD_SHAPE_SOURCE_H
#define PSD_SHAPE_SOURCE_H

// What layer effects see of their layer, for any area of the canvas, row
// after row, without holding it: its shape (transparency times masks), and
// its own pixels, which its style composites together with the effects. The
// layer's painter gives it.

#include <layers/PSDGeometry.h>

#include <cstddef>

class PSDShapeSource {
public:
	virtual ~PSDShapeSource() {}

	// The canvas area outside which the layer's own pixels are transparent.
	virtual PSDRect Extent() const = 0;
	// Where the shape can be asked for: the extent and, past the canvas, as
	// far as the layer's pixels or fill go (effects of a layer that leaves
	// the canvas still see its shape there). Outside, the shape is 0.
	virtual PSDRect Paintable() const = 0;
	// The box effects align with: a shape's path anchors, else the layer's
	// bounds; empty when it has neither.
	virtual PSDBounds Box() const = 0;
	// The shape (0 to 1) over area, inside Paintable(); rows stride floats
	// apart.
	virtual void Shape(const PSDRect& area, float* shape, size_t stride) = 0;
	// The colour planes (stored channel values) and shape over area, inside
	// Extent().
	virtual void Paint(const PSDRect& area, float* const colour[], float* shape, size_t stride) = 0;
};

#endif
