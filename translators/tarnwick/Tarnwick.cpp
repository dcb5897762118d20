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

#include "AreaAverageSink.h"
#include "ColourReading.h"
#include <PSDLayerImage.h>
#include <TarnwickVersion.h>

#include <algorithm>
#include <cstdio>
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
static status_t bitmap_size(const PSDDocument& document, BMessage* ioExtension, ReducedSize* size,
                            std::string* reason)
{
	*size = {document.width, document.height};
	BPoint box;
	if (ioExtension == nullptr || ioExtension->FindPoint(B_TRANSLATOR_EXT_SIZE_BOX, &box) != B_OK)
		return B_OK;
	if (!(box.x >= 1 && box.y >= 1)) {
		*reason = "the size box asked for has no pixels";
		return B_BAD_VALUE;
	}
	// Past any image's side, so large boxes need no care in the casts.
	const float kLargest = 1e9f;
	*size = reduced_size(document.width, document.height, (uint32)std::min(box.x, kLargest),
	                     (uint32)std::min(box.y, kLargest));
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

// The layers are rendered when the host asks for them, or when it leaves
// the choice and the merged image is not real or not there.
static bool wants_layers(BPositionIO* in, const PSDDocument& document, BMessage* ioExtension,
                         PSDLayers* layers)
{
	bool asked = false;
	const bool chosen =
	    ioExtension != nullptr && ioExtension->FindBool(TARNWICK_EXT_LAYERS, &asked) == B_OK;
	if (chosen && !asked)
		return false;
	if (!chosen && document.realMergedData != 0 && document.hasImageData)
		return false;
	// Without layers to render, the merged image is all there is.
	std::string unreadable;
	return psdReadLayers(in, document, layers, &unreadable) == B_OK &&
	       psdCanRenderLayers(document, *layers);
}

// The colours the host asked for.
static PSDColourRequest colour_request(BMessage* ioExtension)
{
	int32 request = 0;
	if (ioExtension == nullptr ||
	    ioExtension->FindInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, &request) != B_OK)
		return PSD_COLOUR_AS_STORED;
	if (request == B_TRANSLATOR_COLOR_SRGB)
		return PSD_COLOUR_SRGB;
	return request == B_TRANSLATOR_COLOR_KEEP_PROFILE ? PSD_COLOUR_KEEP_PROFILE
	                                                  : PSD_COLOUR_AS_STORED;
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

// The merged image or the rendered layers into the sink, their colours as
// the plan says.
static status_t decode(BPositionIO* in, const PSDDocument& document, const PSDLayers* layers,
                       const PSDColourPlan& colour, PSDPixelSink& sink, std::string* reason)
{
	if (colour.transform)
		return colour_decode(in, document, layers, colour, sink, reason);
	if (layers != nullptr) {
		PSDFormulaRows rows(sink, document.mode, layers->depth, document.width);
		if (rows.InitCheck() != B_OK) {
			*reason = "not enough memory to render the layers";
			return B_NO_MEMORY;
		}
		return psdRenderLayers(in, document, *layers, rows, reason);
	}
	if (psdCoreDecodeMerged(in, document, psd_image_merged_kind(document), sink) == B_OK)
		return B_OK;
	*reason = "not enough memory to decode the image";
	return B_ERROR;
}

// Nothing is written before the pixels are all there: a failure leaves the
// output as it was.
static status_t write_bitmap(BPositionIO* out, const TranslatorBitmap& header, const uint32* pixels,
                             std::string* reason)
{
	if (BPrivate::write_bitmap_stream(out, header, pixels) == B_OK)
		return B_OK;
	*reason = "the bitmap could not be written";
	return B_ERROR;
}

static status_t translate_whole(BPositionIO* in, const PSDDocument& document,
                                const PSDLayers* layers, const PSDColourPlan& colour,
                                const TranslatorBitmap& header, BPositionIO* out,
                                std::string* reason)
{
	PSDZeroedBuffer buffer(header.dataSize);
	uint32* pixels = (uint32*)buffer.Data();
	if (pixels == nullptr) {
		*reason = "not enough memory for the bitmap";
		return B_ERROR;
	}
	PSDPixelBufferSink sink(pixels);
	if (decode(in, document, layers, colour, sink, reason) != B_OK)
		return B_ERROR;
	return write_bitmap(out, header, pixels, reason);
}

static status_t translate_reduced(BPositionIO* in, const PSDDocument& document,
                                  const PSDLayers* layers, const PSDColourPlan& colour,
                                  const ReducedSize& size, const TranslatorBitmap& header,
                                  BPositionIO* out, std::string* reason)
{
	if (colour.transform) {
		std::unique_ptr<SampleAverageSink> samples;
		if (colour_decode_reduced(in, document, layers, colour, size, &samples, reason) != B_OK)
			return B_ERROR;
		return write_bitmap(out, header, samples->Pixels(), reason);
	}
	AreaAverageSink sink(document.width, document.height, size.width, size.height);
	if (sink.InitCheck() != B_OK) {
		*reason = "not enough memory for the bitmap";
		return B_ERROR;
	}
	if (decode(in, document, layers, colour, sink, reason) != B_OK)
		return B_ERROR;
	sink.Finish();
	return write_bitmap(out, header, sink.Pixels(), reason);
}

// A host that asks for the header alone learns the bitmap's size before
// anything is decoded or held.
static bool header_only(BMessage* ioExtension)
{
	bool only = false;
	return ioExtension != nullptr &&
	       ioExtension->FindBool(B_TRANSLATOR_EXT_HEADER_ONLY, &only) == B_OK && only;
}

// A reduced reading takes time with the image's area, which a header alone
// could make huge. Past the area a full reading allows (a 4 GiB bitmap),
// the file must hold a byte for every 1032 pixels, the most that deflate,
// the densest of its compressions, packs into one.
static status_t check_reduced_area(BPositionIO* in, const PSDDocument& document,
                                   std::string* reason)
{
	const uint64 pixels = (uint64)document.width * document.height;
	off_t size = 0;
	if (pixels <= UINT32_MAX / 4 || (in->GetSize(&size) == B_OK && (uint64)size >= pixels / 1032))
		return B_OK;
	// Not std::to_string: its digit table is a unique symbol, which would
	// keep the add-on loaded, and its settings, past the host's unload.
	char text[100];
	snprintf(text, sizeof(text), "image of %u x %u pixels in a file too short to hold them",
	         document.width, document.height);
	*reason = text;
	return B_ERROR;
}

static status_t translate(BPositionIO* in, BMessage* ioExtension, BPositionIO* out,
                          std::string* reason)
{
	PSDDocument document;
	status_t status = psdCoreDescribe(in, &document, reason, false);
	ReducedSize size;
	if (status == B_OK)
		status = bitmap_size(document, ioExtension, &size, reason);
	if (status == B_OK)
		status = psd_image_check(document, size.width, size.height, reason);
	const bool reduced =
	    status == B_OK && (size.width != document.width || size.height != document.height);
	if (reduced)
		status = check_reduced_area(in, document, reason);
	if (status != B_OK)
		return status;
	PSDLayers layers;
	const bool renderLayers = wants_layers(in, document, ioExtension, &layers);
	if (!renderLayers && psd_image_check_merged(document, reason) != B_OK)
		return B_ERROR;

	const TranslatorBitmap header =
	    BPrivate::bitmap_header(size.width, size.height, B_RGBA32, size.width * 4);
	if (header_only(ioExtension)) {
		if (BPrivate::write_bitmap_header(out, header) == B_OK)
			return B_OK;
		*reason = "the bitmap could not be written";
		return B_ERROR;
	}
	const PSDLayers* rendered = renderLayers ? &layers : nullptr;
	PSDColourPlan colour;
	psdColourPlan(in, document, colour_request(ioExtension),
	              colour_sample_bytes(document, rendered, reduced), &colour);
	tell_colour(ioExtension, colour);
	if (reduced)
		return translate_reduced(in, document, rendered, colour, size, header, out, reason);
	return translate_whole(in, document, rendered, colour, header, out, reason);
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
