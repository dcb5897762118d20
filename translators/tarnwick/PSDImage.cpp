#include "PSDImage.h"

#include <core/PSDCore.h>
#include <settings/PSDSettings.h>

#include <cstdarg>
#include <cstdio>

namespace {

const char* modeName(uint16 mode)
{
	switch (mode) {
	case PSD_MODE_BITMAP:
		return "bitmap";
	case PSD_MODE_GRAYSCALE:
		return "grayscale";
	case PSD_MODE_INDEXED:
		return "indexed colour";
	case PSD_MODE_RGB:
		return "RGB";
	case PSD_MODE_CMYK:
		return "CMYK";
	case PSD_MODE_MULTICHANNEL:
		return "multichannel";
	case PSD_MODE_DUOTONE:
		return "duotone";
	case PSD_MODE_LAB:
		return "Lab";
	default:
		return nullptr;
	}
}

bool depthIsDefined(uint16 mode, uint16 depth)
{
	switch (mode) {
	case PSD_MODE_BITMAP:
		return depth == 1;
	case PSD_MODE_INDEXED:
		return depth == 8;
	case PSD_MODE_GRAYSCALE:
	case PSD_MODE_RGB:
		return depth == 8 || depth == 16 || depth == 32;
	default:
		return depth == 8 || depth == 16;
	}
}

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string printed(const char* format, ...)
{
	char text[200];
	va_list arguments;
	va_start(arguments, format);
	vsnprintf(text, sizeof(text), format, arguments);
	va_end(arguments);
	return text;
}

std::string sizeReason(const PSDDocument& document, uint32 bitmapWidth, uint32 bitmapHeight)
{
	const char* kind = document.IsPSB() ? "PSB" : "PSD";
	if (document.width == 0 || document.height == 0)
		return printed("%s image of %u x %u pixels: it has no pixels", kind, document.width,
		               document.height);
	if ((uint64)bitmapWidth * bitmapHeight * 4 > UINT32_MAX)
		return printed("%s image of %u x %u pixels: a Be bitmap holds at most 4 GiB", kind,
		               bitmapWidth, bitmapHeight);
	if (document.IsPSB() &&
	    (document.width > PSD_PSB_MAX_SIDE || document.height > PSD_PSB_MAX_SIDE))
		return printed("PSB image of %u x %u pixels: larger than Photoshop's largest, %d pixels "
		               "a side",
		               document.width, document.height, (int)PSD_PSB_MAX_SIDE);
	return std::string();
}

PSDMergedKind multichannelKind(const PSDRequest& request)
{
	const PSDDocument& document = request.document;
	switch (request.multichannelRead) {
	case PSD_MULTICHANNEL_CMYK:
		return document.channels >= 4 ? PSD_MERGED_CMYK : PSD_MERGED_GRAY;
	case PSD_MULTICHANNEL_GRAYSCALE:
		return PSD_MERGED_GRAY;
	default:
		// RGB, and any value outside the three that a host stored: the
		// view shows those as RGB too.
		return document.channels >= 3 ? PSD_MERGED_RGB : PSD_MERGED_GRAY;
	}
}

} // namespace

status_t psd_image_check(const PSDDocument& document, uint32 bitmapWidth, uint32 bitmapHeight,
                         std::string* reason)
{
	const char* mode = modeName(document.mode);
	if (mode == nullptr)
		*reason = printed("colour mode %u is not a Photoshop colour mode", document.mode);
	else if (!depthIsDefined(document.mode, document.depth) && document.depth == 32)
		*reason = printed("32-bit float images in %s mode are not supported", mode);
	else if (!depthIsDefined(document.mode, document.depth))
		*reason = printed("%u-bit images in %s mode are not supported", document.depth, mode);
	else
		*reason = sizeReason(document, bitmapWidth, bitmapHeight);
	return reason->empty() ? B_OK : B_ERROR;
}

status_t psd_image_check_merged(const PSDDocument& document, std::string* reason)
{
	if (!document.hasImageData)
		*reason = "the file ends before its image data";
	else if (document.mode == PSD_MODE_CMYK && document.channels < 4)
		*reason = printed("CMYK image with %u channels: CMYK needs 4", document.channels);
	else if (document.mode == PSD_MODE_INDEXED && document.colorModeData.length != 768)
		*reason = printed("indexed colour image whose palette has %llu bytes instead of 768",
		                  (unsigned long long)document.colorModeData.length);
	else if (document.compression > PSD_COMPRESSION_ZIP_PREDICTION)
		*reason = printed("unknown compression method %u", document.compression);
	return reason->empty() ? B_OK : B_ERROR;
}

PSDMergedKind psd_image_merged_kind(const PSDRequest& request)
{
	const PSDDocument& document = request.document;
	switch (document.mode) {
	case PSD_MODE_BITMAP:
		return PSD_MERGED_BITMAP;
	case PSD_MODE_INDEXED:
		return PSD_MERGED_INDEXED;
	case PSD_MODE_RGB:
		return document.channels >= 4 && request.alpha4 ? PSD_MERGED_RGBA : PSD_MERGED_RGB;
	case PSD_MODE_CMYK:
		return PSD_MERGED_CMYK;
	case PSD_MODE_MULTICHANNEL:
		return multichannelKind(request);
	default:
		return PSD_MERGED_GRAY;
	}
}
