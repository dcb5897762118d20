#ifndef COLOUR_READING_H
#define COLOUR_READING_H

// Merged images whose colours go through a transform (PSDColourPlan.h):
// their own samples made pixel words on every core while the image
// decodes, or, for a reduced reading, area-averaged as samples and
// converted at the end.

#include "AreaAverageSink.h"
#include "PSDRequest.h"

#include <colour/PSDColourPlan.h>
#include <core/PSDMergedImage.h>

// Into the sink's pixel words. Fails, with the request's reason, when
// buffers or the transform cannot be had.
status_t colour_decode(PSDRequest& request, const PSDColourPlan& colour, PSDPixelSink& sink);

// Reduced to `size`, into the small image's pixel words.
status_t colour_decode_reduced(PSDRequest& request, const PSDColourPlan& colour,
                               const ReducedSize& size, uint32* pixels);

// The sample size the plan's transform is for: averaged samples are 16-bit,
// rendered rows come as floats made 16-bit.
int colour_sample_bytes(const PSDDocument& document, bool renderLayers, bool reduced);

#endif
