#ifndef PSD_LAYER_READING_H
#define PSD_LAYER_READING_H

// The document read from its layers: the model read once, the work it would
// cost weighed against the request's limit, and the layers rendered at the
// bitmap's size or, for a reduced reading, at full size and averaged down
// where the limit allows.

#include "AreaAverageSink.h"
#include "PSDRequest.h"

#include <colour/PSDColourPlan.h>
#include <layers/PSDLayers.h>

// Whether the document's layers can be rendered: it has some, in a colour
// mode that has layers.
bool psd_can_render_layers(const PSDDocument& document, const PSDLayers& records);

// Renders the layers into the pixel words of a bitmap of `size` (the
// document's own, or reduced), their colours converted once, at the end, as
// the plan says. Fails with the request's reason set.
status_t psd_read_layers(PSDRequest& request, const PSDLayers& records, const ReducedSize& size,
                         const PSDColourPlan& colour, uint32* pixels);

#endif
