#include "ColourReading.h"

#include "PSDImage.h"
#include "SampleAverageSink.h"

#include <colour/PSDColourSinks.h>

#include <cstring>

namespace {

// Bytes each sample of the merged image takes on its way to be converted.
int sampleBytes(const PSDDocument& document)
{
	return document.depth > 8 ? 2 : 1;
}

// The merged image's planes a colour transform reads: the colours, and the
// alpha of RGB images read with one.
int alphaPlane(const PSDRequest& request)
{
	return psd_image_merged_kind(request) == PSD_MERGED_RGBA ? 3 : -1;
}

status_t decodeSamples(PSDRequest& request, const PSDColourPlan& colour, bool holdsImage,
                       PSDPlaneSpanSink& sink)
{
	const int alpha = alphaPlane(request);
	const int planes = psdColourSpacePlanes(colour.space) + (alpha >= 0);
	if (psdCoreDecodeMergedSamples(request.in, request.document, planes, alpha, holdsImage, sink) ==
	    B_OK)
		return B_OK;
	return request.Fail(B_NO_MEMORY, "not enough memory to decode the image");
}

const char* const kNoTransform = "not enough memory to convert the image's colours";

} // namespace

status_t colour_decode(PSDRequest& request, const PSDColourPlan& colour, PSDPixelSink& sink)
{
	const PSDDocument& document = request.document;
	PSDManagedPixels pixels(*colour.transform, psdColourSpacePlanes(colour.space),
	                        alphaPlane(request), sampleBytes(document), sink, document.width,
	                        document.height);
	const status_t status = decodeSamples(request, colour, sink.HoldsImage(), pixels);
	if (pixels.Finish() == B_OK || status != B_OK)
		return status;
	return request.Fail(B_NO_MEMORY, "%s", kNoTransform);
}

status_t colour_decode_reduced(PSDRequest& request, const PSDColourPlan& colour,
                               const ReducedSize& size, uint32* pixels)
{
	const PSDDocument& document = request.document;
	std::unique_ptr<SampleAverageSink> sink = SampleAverageSink::Make(
	    document.width, document.height, size.width, size.height,
	    psdColourSpacePlanes(colour.space), alphaPlane(request), sampleBytes(document));
	if (!sink)
		return request.Fail(B_NO_MEMORY, "not enough memory for the bitmap");
	const status_t status = decodeSamples(request, colour, false, *sink);
	if (status != B_OK)
		return status;
	const PSDColourTransform* transform = colour.transform->Get();
	if (transform == nullptr)
		return request.Fail(B_NO_MEMORY, "%s", kNoTransform);
	sink->Finish(*transform);
	memcpy(pixels, sink->Pixels(), sizeof(uint32) * size.width * size.height);
	return B_OK;
}

int colour_sample_bytes(const PSDDocument& document, bool renderLayers, bool reduced)
{
	return reduced || renderLayers ? 2 : sampleBytes(document);
}
