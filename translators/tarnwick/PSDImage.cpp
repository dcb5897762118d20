#include "PSDImage.h"

#include <PSDCore.h>
#include <PSDSettings.h>

status_t psd_image_read_header(BPositionIO* in, psd_image* image)
{
	return psdCoreImageInfo(in, &image->width, &image->height, &image->channels, &image->depth,
		&image->mode);
}

// False also for the modes that have no loader (5, 6 and above 9).
static bool depth_is_defined(uint16 mode, uint16 depth)
{
	switch (mode) {
		case PSD_MODE_BITMAP:
			return depth == 1;
		case PSD_MODE_INDEXED:
			return depth == 8;
		case PSD_MODE_GRAYSCALE:
		case PSD_MODE_RGB:
		case PSD_MODE_CMYK:
		case PSD_MODE_MULTICHANNEL:
		case PSD_MODE_DUOTONE:
		case PSD_MODE_LAB:
			return depth == 8 || depth == 16;
		default:
			return false;
	}
}

static bool size_fits(const psd_image& image)
{
	if (image.width == 0 || image.height == 0)
		return false;
	return (uint64)image.width * image.height * 4 <= UINT32_MAX;
}

status_t psd_image_check(BPositionIO* in, const psd_image& image)
{
	if (!depth_is_defined(image.mode, image.depth) || !size_fits(image))
		return B_ERROR;
	if (image.mode == PSD_MODE_CMYK && image.channels < 4)
		return B_ERROR;

	// The loaders report success without decoding anything for another
	// compression, which would hand out pixels nobody wrote.
	uint16 compression;
	status_t status = psdCoreImageCompression(in, &compression);
	if (status != B_OK)
		return status;
	return compression <= 1 ? B_OK : B_ERROR;
}

// The lock guards this one copy; it is never held while decoding.
template <typename T> static T read_setting(T psd_settings::*field)
{
	g_settings_lock.Lock();
	T value = g_settings.*field;
	g_settings_lock.Unlock();
	return value;
}

static status_t decode_multichannel(BPositionIO* in, const psd_image& image, uint32* pixels)
{
	const bool is16Bits = image.depth == 16;
	const uint16 channels = (uint16)image.channels;
	switch (read_setting(&psd_settings::multichannelRead)) {
		case PSD_MULTICHANNEL_CMYK:
			if (image.channels >= 4)
				return psdCoreLoadImageCMYK(in, image.width, image.height, channels, pixels,
					is16Bits);
			break;
		case PSD_MULTICHANNEL_GRAYSCALE:
			break;
		default:
			// RGB, and any value outside the three that a host stored: the
			// view shows those as RGB too.
			if (image.channels >= 3)
				return psdCoreLoadImageRGBA(in, image.width, image.height, channels, pixels,
					false, is16Bits);
			break;
	}
	return psdCoreLoadImageGrayscale(in, image.width, image.height, channels, pixels, is16Bits);
}

status_t psd_image_decode(BPositionIO* in, const psd_image& image, uint32* pixels)
{
	const bool is16Bits = image.depth == 16;
	const uint16 channels = (uint16)image.channels;
	switch (image.mode) {
		case PSD_MODE_BITMAP:
			return psdCoreLoadImageBitmap(in, image.width, image.height, pixels);
		case PSD_MODE_GRAYSCALE:
		case PSD_MODE_DUOTONE:
			return psdCoreLoadImageGrayscale(in, image.width, image.height, channels, pixels,
				is16Bits);
		case PSD_MODE_INDEXED:
			return psdCoreLoadImageIndexed(in, image.width, image.height, channels, pixels);
		case PSD_MODE_RGB: {
			bool alpha = image.channels >= 4 && read_setting(&psd_settings::alpha4);
			return psdCoreLoadImageRGBA(in, image.width, image.height, channels, pixels, alpha,
				is16Bits);
		}
		case PSD_MODE_CMYK:
			return psdCoreLoadImageCMYK(in, image.width, image.height, channels, pixels,
				is16Bits);
		case PSD_MODE_MULTICHANNEL:
			return decode_multichannel(in, image, pixels);
		case PSD_MODE_LAB:
			return pscCoreLoadImageLab(in, image.width, image.height, image.channels, pixels,
				is16Bits);
		default:
			return B_ERROR;
	}
}
