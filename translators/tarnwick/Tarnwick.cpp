// Tarnwick: the Translation Kit add-on that reads Photoshop images.
#include <BitmapStream.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <PSDCore.h>

#include "PSDImage.h"
#include "PixelBuffer.h"
#include <TarnwickVersion.h>

static const uint32 kPSDType = 0x70736420;  // 'psd '

char translatorName[] = "PSD Images";
char translatorInfo[] = "Reads images in the Adobe Photoshop\xC2\xAE format.";
int32 translatorVersion = kTarnwickVersion;

translation_format inputFormats[] = {
	{kPSDType, B_TRANSLATOR_BITMAP, 0.5f, 0.5f, "image/x-psd",
		"PSD Adobe Photoshop\xC2\xAE format"},
	{0, 0, 0.0f, 0.0f, "", ""},
};

translation_format outputFormats[] = {
	{B_TRANSLATOR_BITMAP, B_TRANSLATOR_BITMAP, 0.5f, 0.5f, "image/x-be-bitmap",
		"Be Bitmap Format (Pellory)"},
	{0, 0, 0.0f, 0.0f, "", ""},
};

status_t Identify(BPositionIO* inSource, const translation_format*, BMessage*,
	translator_info* outInfo, uint32 outType)
{
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	if (inSource == nullptr || outInfo == nullptr)
		return B_BAD_VALUE;

	bool isPSD = false;
	status_t status = psdCoreVerify(inSource, &isPSD);
	if (status != B_OK)
		return status;
	if (!isPSD)
		return B_NO_TRANSLATOR;

	BPrivate::fill_translator_info(inputFormats[0], outInfo);
	return B_OK;
}

// Only called for a checked image: width and height are at least 1 and the
// data size fits in 32 bits.
static TranslatorBitmap bitmap_header(const psd_image& image)
{
	return BPrivate::bitmap_header(image.width, image.height, B_RGBA32, image.width * 4);
}

status_t Translate(BPositionIO* inSource, const translator_info*, BMessage*, uint32 outType,
	BPositionIO* outDestination)
{
	if (outType == 0)
		outType = B_TRANSLATOR_BITMAP;
	if (outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	if (inSource == nullptr || outDestination == nullptr)
		return B_BAD_VALUE;

	psd_image image;
	status_t status = psd_image_read_header(inSource, &image);
	if (status != B_OK)
		return status;
	status = psd_image_check(inSource, image);
	if (status != B_OK)
		return status;

	const TranslatorBitmap header = bitmap_header(image);
	PixelBuffer buffer(header.dataSize);
	if (buffer.Pixels() == nullptr)
		return B_ERROR;
	status = psd_image_decode(inSource, image, buffer.Pixels());
	if (status != B_OK)
		return status;
	return BPrivate::write_bitmap_stream(outDestination, header, buffer.Pixels());
}
