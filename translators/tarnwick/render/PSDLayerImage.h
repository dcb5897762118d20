#ifndef PSD_LAYER_IMAGE_H
#define PSD_LAYER_IMAGE_H

// The document as its layers show it: rendered band by band in the
// document's colour mode and handed to a sink as B_RGBA32 pixel words, the
// way the merged image of that mode would be, with the real transparency.

#include <core/PSDMergedImage.h>
#include <layers/PSDLayers.h>

#include <string>

// Whether the document's layers can be rendered: it has some, in a colour
// mode that has layers.
bool psdCanRenderLayers(const PSDDocument& document, const PSDLayers& layers);

// B_ERROR with the reason for a mode without layers; B_NO_MEMORY when the
// bands cannot be had.
status_t psdRenderLayers(BPositionIO* in, const PSDDocument& document, const PSDLayers& layers,
                         PSDPixelSink& sink, std::string* reason);

#endif
