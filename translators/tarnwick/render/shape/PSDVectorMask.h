#ifndef PSD_VECTOR_MASK_H
#define PSD_VECTOR_MASK_H

#include <layers/PSDVectorPath.h>

#include <SupportDefs.h>

#include <cstddef>
#include <vector>

// Coverage of the canvas pixels in rect, 0 (outside) to 255 (inside), written
// row by row at coverage + y * stride. The mask as Photoshop applies it: the
// operations of the shapes (the first shape drawn on nothing, or taken from
// everything when it subtracts), the initial fill for an empty path, the
// inverted flag, a disabled mask covering all.
// The canvas is the document scaled by scale (at most 1). Work is bounded by
// the rectangle and the path's points, never by the document; B_NO_MEMORY when
// a path would cost far more than any real mask (millions of points or fills
// over one tile).
status_t psdVectorMaskCoverage(const PSDVectorPath& mask, const PSDRect& rect, uint8* coverage,
                               size_t stride, double scale = 1.0);

// Where a shape layer's stroke lies along its outline.
enum PSDStrokeAlignment {
	kPSDStrokeInside,
	kPSDStrokeCentre,
	kPSDStrokeOutside,
};

// Coverage of the stroke of lineWidth document pixels along the path's
// outlines, for the canvas pixels of rect, written as psdVectorMaskCoverage
// writes.
status_t psdVectorMaskStrokeCoverage(const PSDVectorPath& mask, const PSDRect& rect,
                                     double lineWidth, PSDStrokeAlignment alignment,
                                     uint8* coverage, size_t stride, double scale = 1.0);

#endif
