// The loaders by name: each describes the file and decodes its merged image
// with the geometry and sample width its caller gives.

#include "PSDCore.h"

#include "PSDChannels.h"
#include "PSDMergedImage.h"

namespace {

// The pixels a loader writes no colour into, for a compression the core
// cannot read, still get what the loader closes with.
enum Closing { kNothing, kOpaque, kConvertCMYK };

void close(Closing closing, uint32 width, uint32 height, uint32* pixels)
{
	if (closing == kOpaque) {
		psdCoreFillAlpha(width, height, pixels);
	} else if (closing == kConvertCMYK) {
		uint8* bytes = (uint8*)pixels;
		for (uint64 i = 0; i < (uint64)width * height; i++, bytes += 4) {
			const uint32 black = bytes[3];
			bytes[0] = (uint8)((bytes[0] * black) >> 8);
			bytes[1] = (uint8)((bytes[1] * black) >> 8);
			bytes[2] = (uint8)((bytes[2] * black) >> 8);
			bytes[3] = 255;
		}
	}
}

status_t load(BPositionIO* in, uint32 width, uint32 height, uint32 channels, uint16 depth,
              PSDMergedKind kind, Closing closing, uint32* pixels)
{
	PSDDocument document;
	std::string reason;
	if (psdCoreDescribe(in, &document, &reason) != B_OK)
		return B_ERROR;
	document.width = width;
	document.height = height;
	document.channels = (uint16)channels;
	document.depth = depth;
	if (document.compression > PSD_COMPRESSION_ZIP_PREDICTION) {
		if (kind == PSD_MERGED_INDEXED && document.colorModeData.length != 768)
			return B_ERROR;
		close(closing, width, height, pixels);
		return B_OK;
	}
	PSDPixelBufferSink sink(pixels);
	return psdCoreDecodeMerged(in, document, kind, sink);
}

} // namespace

status_t psdCoreLoadImageRGBA(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                              uint32* pixels, bool alpha, bool is16Bits)
{
	return load(in, width, height, channels, is16Bits ? 16 : 8,
	            alpha ? PSD_MERGED_RGBA : PSD_MERGED_RGB, alpha ? kNothing : kOpaque, pixels);
}

status_t psdCoreLoadImageGrayscale(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                                   uint32* pixels, bool is16Bits)
{
	return load(in, width, height, channels, is16Bits ? 16 : 8, PSD_MERGED_GRAY, kNothing, pixels);
}

status_t psdCoreLoadImageIndexed(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                                 uint32* pixels)
{
	return load(in, width, height, channels, 8, PSD_MERGED_INDEXED, kOpaque, pixels);
}

status_t psdCoreLoadImageCMYK(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
                              uint32* pixels, bool is16Bits)
{
	return load(in, width, height, channels, is16Bits ? 16 : 8, PSD_MERGED_CMYK, kConvertCMYK,
	            pixels);
}

status_t psdCoreLoadImageBitmap(BPositionIO* in, uint32 width, uint32 height, uint32* pixels)
{
	return load(in, width, height, 1, 1, PSD_MERGED_BITMAP, kNothing, pixels);
}

status_t pscCoreLoadImageLab(BPositionIO* in, uint32 width, uint32 height, uint32 channels,
                             uint32* pixels, bool is16Bits)
{
	return load(in, width, height, channels, is16Bits ? 16 : 8, PSD_MERGED_GRAY, kNothing, pixels);
}
