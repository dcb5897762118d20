#ifndef PSD_LAYER_IMAGE_H
#define PSD_LAYER_IMAGE_H

// The document as its layers show it: rendered band by band in the
// document's colour mode and handed to a sink as B_RGBA32 pixel words, the
// way the merged image of that mode would be, with the real transparency.

#include "PSDRenderTarget.h"

#include <core/PSDMergedImage.h>

// Channels rendered for a colour mode; 0 for modes without layers.
int psdRenderedColours(uint16 mode);

class PSDCompositor;

// Renders what the compositor holds onto canvas rows [firstRow, endRow)
// of the target (the sink takes the whole canvas), band by band from the
// band that holds firstRow. B_NO_MEMORY when the bands cannot be had.
status_t psdRenderModel(PSDCompositor& compositor, const PSDRenderTarget& target,
                        PSDPixelSink& sink, int32 firstRow, int32 endRow);

#endif
