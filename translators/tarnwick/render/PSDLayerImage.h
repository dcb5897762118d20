#ifndef PSD_LAYER_IMAGE_H
#define PSD_LAYER_IMAGE_H

// The document as its layers show it: rendered band by band in the
// document's colour mode, with the real transparency, and handed over row by
// row for colour/ to make pixels of.

#include <PSDColourSinks.h>
#include <PSDLayers.h>
#include <PSDMergedImage.h>

#include <string>

// Whether the document's layers can be rendered: it has some, in a colour
// mode that has layers.
bool psdCanRenderLayers(const PSDDocument& document, const PSDLayers& layers);

// B_ERROR with the reason for a mode without layers; B_NO_MEMORY when the
// bands cannot be had.
status_t psdRenderLayers(BPositionIO* in, const PSDDocument& document, const PSDLayers& layers,
                         PSDColourRows& rows, std::string* reason);

#endif
