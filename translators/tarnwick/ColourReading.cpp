#include "ColourReading.h"

#include "PSDImage.h"

#include <PSDLayerImage.h>

namespace {

// Bytes each sample of the merged image or the rendered rows takes on its
// way to be converted.
int sampleBytes(const PSDDocument& document, const PSDLayers* layers)
{
	return layers != nullptr || document.depth > 8 ? 2 : 1;
}

// The merged image's planes a colour transform reads: the colours, and the
// alpha of RGB images read with one.
int alphaPlane(const PSDDocument& document, const PSDLayers* layers)
{
	return layers == nullptr && psd_image_merged_kind(document) == PSD_MERGED_RGBA ? 3 : -1;
}

// The merged image's samples, or the rendered layers' rows, into a sink
// that converts them.
template <class Sink>
status_t decodeSamples(BPositionIO* in, const PSDDocument& document, const PSDLayers* layers,
                       const PSDColourPlan& colour, bool holdsImage, Sink& sink,
                       std::string* reason)
{
	if (layers != nullptr)
		return psdRenderLayers(in, document, *layers, sink, reason);
	const int alpha = alphaPlane(document, layers);
	const int planes = psdColourSpacePlanes(colour.space) + (alpha >= 0);
	if (psdCoreDecodeMergedSamples(in, document, planes, alpha, holdsImage, sink) == B_OK)
		return B_OK;
	*reason = "not enough memory to decode the image";
	return B_NO_MEMORY;
}

const char* const kNoTransform = "not enough memory to convert the image's colours";

} // namespace

status_t colour_decode(BPositionIO* in, const PSDDocument& document, const PSDLayers* layers,
                       const PSDColourPlan& colour, PSDPixelSink& sink, std::string* reason)
{
	PSDManagedPixels pixels(*colour.transform, psdColourSpacePlanes(colour.space),
	                        alphaPlane(document, layers), sampleBytes(document, layers), sink,
	                        document.width, document.height);
	const status_t status =
	    decodeSamples(in, document, layers, colour, sink.HoldsImage(), pixels, reason);
	if (pixels.Finish() == B_OK || status != B_OK)
		return status;
	*reason = kNoTransform;
	return B_NO_MEMORY;
}

status_t colour_decode_reduced(BPositionIO* in, const PSDDocument& document,
                               const PSDLayers* layers, const PSDColourPlan& colour,
                               const ReducedSize& size, std::unique_ptr<SampleAverageSink>* sink,
                               std::string* reason)
{
	*sink = SampleAverageSink::Make(document.width, document.height, size.width, size.height,
	                                psdColourSpacePlanes(colour.space),
	                                alphaPlane(document, layers), sampleBytes(document, layers));
	if (!*sink) {
		*reason = "not enough memory for the bitmap";
		return B_NO_MEMORY;
	}
	const status_t status = decodeSamples(in, document, layers, colour, false, **sink, reason);
	if (status != B_OK)
		return status;
	const PSDColourTransform* transform = colour.transform->Get();
	if (transform == nullptr) {
		*reason = kNoTransform;
		return B_NO_MEMORY;
	}
	(*sink)->Finish(*transform);
	return B_OK;
}

int colour_sample_bytes(const PSDDocument& document, const PSDLayers* layers, bool reduced)
{
	return reduced ? 2 : sampleBytes(document, layers);
}
