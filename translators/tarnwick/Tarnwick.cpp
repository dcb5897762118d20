// Tarnwick: the Translation Kit add-on that reads Photoshop images.
#include <BitmapStream.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <Message.h>
#include <PSDCore.h>
#include <PSDZeroedBuffer.h>

#include "PSDImage.h"
#include <Tarnwick.h>

#include <PSDLayerImage.h>
#include <TarnwickVersion.h>

#include <string>

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
static TranslatorBitmap bitmap_header(const PSDDocument& document)
{
	return BPrivate::bitmap_header(document.width, document.height, B_RGBA32, document.width * 4);
}

// A failed translation says why in the caller's extension message.
static status_t failed(BMessage* ioExtension, status_t status, const std::string& reason)
{
	if (ioExtension != nullptr && !reason.empty()) {
		ioExtension->RemoveName(B_TRANSLATOR_EXT_FAILURE_REASON);
		ioExtension->AddString(B_TRANSLATOR_EXT_FAILURE_REASON, reason.c_str());
	}
	return status;
}

// The layers are rendered when the host asks for them, or when it leaves
// the choice and the merged image is not real or not there.
static bool wants_layers(BPositionIO* in, const PSDDocument& document, BMessage* ioExtension,
	PSDLayers* layers)
{
	bool asked = false;
	const bool chosen = ioExtension != nullptr
		&& ioExtension->FindBool(TARNWICK_EXT_LAYERS, &asked) == B_OK;
	if (chosen && !asked)
		return false;
	if (!chosen && document.realMergedData != 0 && document.hasImageData)
		return false;
	// Without layers to render, the merged image is all there is.
	std::string unreadable;
	return psdReadLayers(in, document, layers, &unreadable) == B_OK
		&& psdCanRenderLayers(document, *layers);
}

static status_t translate(BPositionIO* in, BMessage* ioExtension, BPositionIO* out,
	std::string* reason)
{
	PSDDocument document;
	status_t status = psdCoreDescribe(in, &document, reason, false);
	if (status == B_OK)
		status = psd_image_check(document, reason);
	if (status != B_OK)
		return status;
	PSDLayers layers;
	const bool renderLayers = wants_layers(in, document, ioExtension, &layers);
	if (!renderLayers && psd_image_check_merged(document, reason) != B_OK)
		return B_ERROR;

	const TranslatorBitmap header = bitmap_header(document);
	PSDZeroedBuffer buffer(header.dataSize);
	uint32* pixels = (uint32*)buffer.Data();
	if (pixels == nullptr) {
		*reason = "not enough memory for the bitmap";
		return B_ERROR;
	}
	PSDPixelBufferSink sink(pixels);
	if (renderLayers) {
		status = psdRenderLayers(in, document, layers, sink, reason);
	} else {
		status = psdCoreDecodeMerged(in, document, psd_image_merged_kind(document), sink);
		if (status != B_OK)
			*reason = "not enough memory to decode the image";
	}
	if (status != B_OK)
		return B_ERROR;
	if (BPrivate::write_bitmap_stream(out, header, pixels) != B_OK) {
		*reason = "the bitmap could not be written";
		return B_ERROR;
	}
	return B_OK;
}

status_t Translate(BPositionIO* inSource, const translator_info*, BMessage* ioExtension,
	uint32 outType, BPositionIO* outDestination)
{
	if (outType == 0)
		outType = B_TRANSLATOR_BITMAP;
	if (outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	if (inSource == nullptr || outDestination == nullptr)
		return B_BAD_VALUE;

	std::string reason;
	const status_t status = translate(inSource, ioExtension, outDestination, &reason);
	return status == B_OK ? B_OK : failed(ioExtension, status, reason);
}
