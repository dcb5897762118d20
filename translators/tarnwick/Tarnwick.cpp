// Tarnwick: the Translation Kit add-on that reads Photoshop images.
#include <ByteOrder.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include <Message.h>
#include <PSDCore.h>
#include <PSDZeroedBuffer.h>

#include "PSDImage.h"
#include <TarnwickVersion.h>

#include <cstring>
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

	// The two records order their fields differently; translator is the Kit's.
	const translation_format& format = inputFormats[0];
	outInfo->type = format.type;
	outInfo->group = format.group;
	outInfo->quality = format.quality;
	outInfo->capability = format.capability;
	strcpy(outInfo->name, format.name);
	strcpy(outInfo->MIME, format.MIME);
	return B_OK;
}

static_assert(sizeof(TranslatorBitmap) == 32, "the Be bitmap header is 32 bytes");

// Only called for a checked image: width and height are at least 1 and the
// data size fits in 32 bits.
static TranslatorBitmap bitmap_header(const PSDDocument& document)
{
	TranslatorBitmap header;
	header.magic = B_TRANSLATOR_BITMAP;
	header.bounds.Set(0.0f, 0.0f, (float)(document.width - 1), (float)(document.height - 1));
	header.rowBytes = document.width * 4;
	header.colors = B_RGBA32;
	header.dataSize = header.rowBytes * document.height;
	return header;
}

static void swap_header_to_big_endian(TranslatorBitmap* header)
{
	swap_data(B_UINT32_TYPE, &header->magic, sizeof(uint32), B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_RECT_TYPE, &header->bounds, sizeof(BRect), B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_UINT32_TYPE, &header->rowBytes, sizeof(uint32), B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_UINT32_TYPE, &header->colors, sizeof(uint32), B_SWAP_HOST_TO_BENDIAN);
	swap_data(B_UINT32_TYPE, &header->dataSize, sizeof(uint32), B_SWAP_HOST_TO_BENDIAN);
}

static status_t write_bitmap(BPositionIO* out, TranslatorBitmap header, const uint32* pixels)
{
	const size_t dataSize = header.dataSize;
	swap_header_to_big_endian(&header);
	if (out->Write(&header, sizeof(header)) != (ssize_t)sizeof(header))
		return B_ERROR;
	if (out->Write(pixels, dataSize) != (ssize_t)dataSize)
		return B_ERROR;
	return B_OK;
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

static status_t translate(BPositionIO* in, BPositionIO* out, std::string* reason)
{
	PSDDocument document;
	status_t status = psdCoreDescribe(in, &document, reason);
	if (status == B_OK)
		status = psd_image_check(document, reason);
	if (status != B_OK)
		return status;

	const TranslatorBitmap header = bitmap_header(document);
	PSDZeroedBuffer buffer(header.dataSize);
	uint32* pixels = (uint32*)buffer.Data();
	if (pixels == nullptr) {
		*reason = "not enough memory for the bitmap";
		return B_ERROR;
	}
	PSDPixelBufferSink sink(pixels);
	status = psdCoreDecodeMerged(in, document, psd_image_merged_kind(document), sink);
	if (status != B_OK) {
		*reason = "not enough memory to decode the image";
		return B_ERROR;
	}
	if (write_bitmap(out, header, pixels) != B_OK) {
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
	const status_t status = translate(inSource, outDestination, &reason);
	return status == B_OK ? B_OK : failed(ioExtension, status, reason);
}
