// Tarnwick: the Translation Kit add-on that reads Photoshop images.
#include <BitmapStream.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <Message.h>
#include <core/PSDCore.h>
#include <core/PSDZeroedBuffer.h>

#include "ColourReading.h"
#include "PSDImage.h"
#include "PSDLayerReading.h"
#include "PSDRequest.h"
#include <Tarnwick.h>

#include "AreaAverageSink.h"
#include <settings/TarnwickVersion.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

static const uint32 kPSDType = 0x70736420; // 'psd '

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

// The bitmap's size: the document's own, or reduced to fit the host's box.
static ReducedSize bitmap_size(const PSDRequest& request)
{
	const PSDDocument& document = request.document;
	if (!request.sizeBox)
		return {document.width, document.height};
	return reduced_size(document.width, document.height, request.boxWidth, request.boxHeight);
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
static bool wants_layers(const PSDRequest& request, PSDLayers* layers)
{
	const PSDDocument& document = request.document;
	if (request.layers == PSDRequest::kMergedImage)
		return false;
	if (request.layers == PSDRequest::kTarnwickDecides && document.realMergedData != 0 &&
	    document.hasImageData)
		return false;
	// Without layers to render, the merged image is all there is.
	std::string unreadable;
	return psdReadLayers(request.in, document, layers, &unreadable) == B_OK &&
	       psd_can_render_layers(document, *layers);
}

// What the bitmap's colours are, for the host that asked: told before the
// pixels are written, so that the host's stream can use it as they arrive.
static void tell_colour(BMessage* ioExtension, const PSDColourPlan& colour)
{
	if (ioExtension == nullptr)
		return;
	ioExtension->RemoveName(B_TRANSLATOR_EXT_COLOR_SRGB);
	ioExtension->RemoveName(B_TRANSLATOR_EXT_COLOR_PROFILE);
	ioExtension->RemoveName(B_TRANSLATOR_EXT_COLOR_NOTE);
	if (colour.srgb)
		ioExtension->AddBool(B_TRANSLATOR_EXT_COLOR_SRGB, true);
	if (!colour.kept.empty()) {
		ioExtension->AddData(B_TRANSLATOR_EXT_COLOR_PROFILE, B_RAW_TYPE, colour.kept.data(),
		                     (ssize_t)colour.kept.size());
	}
	if (!colour.note.empty())
		ioExtension->AddString(B_TRANSLATOR_EXT_COLOR_NOTE, colour.note.c_str());
}

// The merged image into the bitmap's pixel words, reduced on the way where
// the bitmap is smaller, its colours as the plan says.
static status_t decode_merged(PSDRequest& request, const ReducedSize& size,
                              const PSDColourPlan& colour, uint32* pixels)
{
	const PSDDocument& document = request.document;
	const bool reduced = size.width != document.width || size.height != document.height;
	if (colour.transform && reduced)
		return colour_decode_reduced(request, colour, size, pixels);
	if (colour.transform) {
		PSDPixelBufferSink sink(pixels);
		return colour_decode(request, colour, sink);
	}
	const PSDMergedKind kind = psd_image_merged_kind(request);
	status_t status;
	if (!reduced) {
		PSDPixelBufferSink sink(pixels);
		status = psdCoreDecodeMerged(request.in, document, kind, sink);
	} else {
		AreaAverageSink sink(document.width, document.height, size.width, size.height);
		status = sink.InitCheck();
		if (status == B_OK)
			status = psdCoreDecodeMerged(request.in, document, kind, sink);
		sink.Finish();
		if (status == B_OK)
			memcpy(pixels, sink.Pixels(), sizeof(uint32) * size.width * size.height);
	}
	if (status != B_OK)
		return request.Fail(B_ERROR, "not enough memory to decode the image");
	return B_OK;
}

// A reduced reading takes time with the image's area, which a header alone
// could make huge. Past the area a full reading allows (a 4 GiB bitmap),
// the file must hold a byte for every 1032 pixels, the most that deflate,
// the densest of its compressions, packs into one.
static status_t check_reduced_area(PSDRequest& request)
{
	const PSDDocument& document = request.document;
	const uint64 pixels = (uint64)document.width * document.height;
	off_t size = 0;
	if (pixels <= UINT32_MAX / 4 ||
	    (request.in->GetSize(&size) == B_OK && (uint64)size >= pixels / 1032))
		return B_OK;
	return request.Fail(B_ERROR, "image of %u x %u pixels in a file too short to hold them",
	                    document.width, document.height);
}

static status_t translate(PSDRequest& request, BMessage* ioExtension, BPositionIO* out)
{
	PSDDocument& document = request.document;
	status_t status = psdCoreDescribe(request.in, &document, &request.reason, false);
	if (status != B_OK)
		return status;
	const ReducedSize size = bitmap_size(request);
	status = psd_image_check(document, size.width, size.height, &request.reason);
	if (status != B_OK)
		return status;
	const bool reduced = size.width != document.width || size.height != document.height;
	if (reduced && check_reduced_area(request) != B_OK)
		return B_ERROR;

	// Nothing is written before the pixels are all there: a failure leaves
	// the output as it was.
	const TranslatorBitmap header =
	    BPrivate::bitmap_header(size.width, size.height, B_RGBA32, size.width * 4);
	if (request.headerOnly) {
		if (BPrivate::write_bitmap_header(out, header) == B_OK)
			return B_OK;
		return request.Fail(B_ERROR, "the bitmap could not be written");
	}
	PSDLayers layers;
	const bool renderLayers = wants_layers(request, &layers);
	if (!renderLayers && psd_image_check_merged(document, &request.reason) != B_OK)
		return B_ERROR;
	PSDColourPlan colour;
	psdColourPlan(request.in, document, request.colour,
	              colour_sample_bytes(document, renderLayers, reduced), &colour);
	tell_colour(ioExtension, colour);
	PSDZeroedBuffer buffer(header.dataSize);
	uint32* pixels = (uint32*)buffer.Data();
	if (pixels == nullptr)
		return request.Fail(B_ERROR, "not enough memory for the bitmap");
	status = renderLayers ? psd_read_layers(request, layers, size, colour, pixels)
	                      : decode_merged(request, size, colour, pixels);
	if (status != B_OK)
		return status;
	if (BPrivate::write_bitmap_stream(out, header, pixels) != B_OK)
		return request.Fail(B_ERROR, "the bitmap could not be written");
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

	PSDRequest request;
	status_t status;
	// Memory runs out in one place for the whole reading: no part of the
	// picture is dropped on the way, the reading fails.
	try {
		status = psd_request_read(inSource, ioExtension, &request);
		if (status == B_OK)
			status = translate(request, ioExtension, outDestination);
	} catch (const std::bad_alloc&) {
		request.reason = "not enough memory to read the image";
		status = B_NO_MEMORY;
	}
	return status == B_OK ? B_OK : failed(ioExtension, status, request.reason);
}
