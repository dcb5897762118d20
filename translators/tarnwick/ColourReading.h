#ifndef COLOUR_READING_H
#define COLOUR_READING_H

// Readings whose colours go through a transform (PSDColourPlan.h): the
// merged image's own samples, or the rendered layers' rows, made pixel
// words on every core while the image decodes, or, for a reduced reading,
// area-averaged as samples and converted at the end.

#include "AreaAverageSink.h"
#include "SampleAverageSink.h"

#include <PSDColourPlan.h>
#include <PSDLayers.h>

#include <memory>
#include <string>

// Into the sink's pixel words. B_NO_MEMORY, with the reason, when buffers
// or the transform cannot be had.
status_t colour_decode(BPositionIO* in, const PSDDocument& document, const PSDLayers* layers,
                       const PSDColourPlan& colour, PSDPixelSink& sink, std::string* reason);

// Reduced to `size`: the small image's pixel words are then in *sink.
status_t colour_decode_reduced(BPositionIO* in, const PSDDocument& document,
                               const PSDLayers* layers, const PSDColourPlan& colour,
                               const ReducedSize& size, std::unique_ptr<SampleAverageSink>* sink,
                               std::string* reason);

// The sample size the plan's transform is for: averaged samples are 16-bit,
// rendered rows come as floats made 16-bit.
int colour_sample_bytes(const PSDDocument& document, const PSDLayers* layers, bool reduced);

#endif
