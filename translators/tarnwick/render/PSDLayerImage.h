#ifndef PSD_LAYER_IMAGE_H
#define PSD_LAYER_IMAGE_H

// The document as its layers show it: rendered band by band in the
// document's colour mode, each finished row handed on to be made pixels,
// with the real transparency.

#include "PSDRenderTarget.h"

#include <colour/PSDColourSinks.h>

class PSDCompositor;

// Channels rendered for a colour mode; 0 for modes without layers.
int psdRenderedColours(uint16 mode);

// Renders what the compositor holds onto canvas rows [firstRow, endRow)
// of the target, band by band from the band that holds firstRow, and hands
// each row to `rows`. B_NO_MEMORY when the bands cannot be had.
status_t psdRenderModel(PSDCompositor& compositor, const PSDRenderTarget& target,
                        PSDColourRows& rows, int32 firstRow, int32 endRow);

#endif
