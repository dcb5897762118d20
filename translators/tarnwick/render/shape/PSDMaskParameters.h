#ifndef PSD_MASK_PARAMETERS_H
#define PSD_MASK_PARAMETERS_H

#include "PSDVectorMask.h"
#include <layers/PSDGeometry.h>

#include <SupportDefs.h>

#include <cstddef>

// What a layer's mask data says about one of its masks.
struct PSDMaskParameters {
	uint8 density = 255; // 0 leaves everything showing; 255 applies the mask fully
	double feather = 0;  // blur radius in document pixels
};

// Pulls coverage toward 1 as Photoshop does: 1 - density x (1 - coverage).
void psdApplyMaskDensity(float* plane, int32 width, int32 height, size_t stride, uint8 density);

// The vector mask over rect as floats in [0, 1], rows stride floats apart,
// feathered and with its density. The path is rendered beyond rect as far as
// the feather reaches, and past the document's edges too, where it goes on.
// Wide feathers are rendered on a coarser grid and interpolated, so that
// neither time nor memory grows with the radius. The canvas is the document
// scaled by scale; the feather is in document pixels.
status_t psdVectorMaskPlane(const PSDVectorPath& mask, const PSDMaskParameters& parameters,
                            const PSDRect& rect, float* plane, size_t stride, double scale = 1.0);

#endif
