#ifndef PSD_IMAGE_H
#define PSD_IMAGE_H

#include <core/PSDDocument.h>
#include <core/PSDMergedImage.h>

#include "PSDRequest.h"

#include <string>

// B_OK for an image Tarnwick can read at all: a colour mode it knows, a
// depth that mode defines, and a non-empty size, made into a bitmap of
// bitmapWidth x bitmapHeight (its own size or smaller) whose pixel words fit
// a 32-bit byte count. Otherwise B_ERROR and the reason in words.
status_t psd_image_check(const PSDDocument& document, uint32 bitmapWidth, uint32 bitmapHeight,
                         std::string* reason);

// B_OK when the merged image can be read, every pixel of it written: image
// data there, enough CMYK channels, a known compression and, for indexed
// images, a palette.
status_t psd_image_check_merged(const PSDDocument& document, std::string* reason);

// How the merged image becomes pixels: by colour mode, channel count and
// the one setting the mode needs, as the request read it.
PSDMergedKind psd_image_merged_kind(const PSDRequest& request);

#endif
