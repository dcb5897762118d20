#ifndef PSD_CORE_H
#define PSD_CORE_H

#include <DataIO.h>
#include <SupportDefs.h>

// PSD colour modes, as the header's mode field holds them.
enum {
	PSD_MODE_BITMAP = 0,
	PSD_MODE_GRAYSCALE = 1,
	PSD_MODE_INDEXED = 2,
	PSD_MODE_RGB = 3,
	PSD_MODE_CMYK = 4,
	PSD_MODE_MULTICHANNEL = 7,
	PSD_MODE_DUOTONE = 8,
	PSD_MODE_LAB = 9,
};

// Colour channels a mode's pixels carry; 0 for modes of any number.
int psdCoreColourChannels(uint16 mode);

status_t psdCoreVerify(BPositionIO* in, bool* isPSD);
status_t psdCoreImageInfo(BPositionIO* in, uint32* width, uint32* height, uint32* channels,
                          uint16* depth, uint16* mode);
status_t psdCoreSkipSection(BPositionIO* in);
// Walks to the image data and reads its compression word (0 raw, 1 PackBits).
status_t psdCoreImageCompression(BPositionIO* in, uint16* compression);

// Loaders: decode the merged image into width x height B_RGBA32 pixel words.
status_t psdCoreLoadImageRGBA(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                              uint32* pixels, bool alpha, bool is16Bits);
status_t psdCoreLoadImageGrayscale(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                                   uint32* pixels, bool is16Bits);
status_t psdCoreLoadImageIndexed(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                                 uint32* pixels);
status_t psdCoreLoadImageCMYK(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                              uint32* pixels, bool is16Bits);
status_t psdCoreLoadImageBitmap(BPositionIO* in, uint32 width, uint32 height, uint32* pixels);
status_t pscCoreLoadImageLab(BPositionIO* in, uint32 width, uint32 height, uint32 channels,
                             uint32* pixels, bool is16Bits);

#endif
