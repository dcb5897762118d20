#ifndef PSD_IMAGE_H
#define PSD_IMAGE_H

#include <DataIO.h>
#include <SupportDefs.h>

// The header values that decide how an image is decoded.
struct psd_image {
	uint32 width;
	uint32 height;
	uint32 channels;
	uint16 depth;
	uint16 mode;
};

status_t psd_image_read_header(BPositionIO* in, psd_image* image);

// B_OK only for an image whose every pixel a loader will write: a colour mode
// with a loader, a depth that mode defines, a non-empty size whose pixel words
// fit a 32-bit byte count, enough CMYK channels and a known compression.
status_t psd_image_check(BPositionIO* in, const psd_image& image);

// Picks the loader by colour mode, channel count and the one setting the mode
// needs, and decodes into width x height pixel words.
status_t psd_image_decode(BPositionIO* in, const psd_image& image, uint32* pixels);

#endif
