#ifndef PSD_IMAGE_H
#define PSD_IMAGE_H

#include <PSDDocument.h>
#include <PSDMergedImage.h>

#include <string>

// B_OK only for an image whose every pixel the merged-image reading will
// write: a colour mode with a loader, a depth that mode defines, a non-empty
// size whose pixel words fit a 32-bit byte count, enough CMYK channels, a
// known compression and, for indexed images, a palette. Otherwise B_ERROR
// and the reason in words.
status_t psd_image_check(const PSDDocument& document, std::string* reason);

// How the merged image becomes pixels: by colour mode, channel count and
// the one setting the mode needs, read once.
PSDMergedKind psd_image_merged_kind(const PSDDocument& document);

#endif
