#include "PSDLayerReading.h"

#include "PSDFileSource.h"

#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <layers/PSDModelReader.h>
#include <render/PSDLayerImage.h>
#include <render/compose/PSDCompositor.h>

#include "SampleAverageSink.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>

namespace {

// The light that layer effects share: its angle and altitude, in degrees,
// from their image resources.
double globalResource(BPositionIO* in, const PSDDocument& document, uint16 id, double fallback)
{
	const PSDResource* resource = document.Resource(id);
	uint8 value[4];
	if (resource == nullptr || resource->length < 4 || !psdReadAt(in, resource->offset, value, 4))
		return fallback;
	return (int32)psdBig32(value);
}

// Without a limit from the host, work follows what the file holds: real
// documents fill their files with channel data, while a small file that
// asks for vast areas gets little.
uint64 workLimit(const PSDRequest& request)
{
	if (request.explicitLimit)
		return request.workLimit;
	off_t size = 0;
	if (request.in->GetSize(&size) != B_OK || size < 0)
		size = 0;
	const uint64 perByte = PSD_WORK_PER_FILE_BYTE;
	const uint64 bytes = (uint64)size;
	return request.workLimit + (bytes > UINT64_MAX / perByte ? UINT64_MAX / 2 : bytes * perByte);
}

status_t tooMuchWork(PSDRequest& request, uint64 work, uint64 limit)
{
	return request.Fail(B_ERROR,
	                    "rendering the layers would take %.3g pixel operations, over the limit "
	                    "of %.3g for this file",
	                    (double)work, (double)limit);
}

// Canvases of at least this many pixels are rendered in two parts, the top
// and the bottom half at band boundaries, each by a compositor of its own,
// on two of the machine's cores where it has them. The split is the same on
// every machine, so the pixels are too.
const uint64 kPartedArea = 1 << 22;

// Rows made pixel words by the formulas, into the whole canvas's words.
struct FormulaPixels {
	FormulaPixels(const PSDRenderTarget& target, uint32* pixels)
	    : sink(pixels), rows(sink, target.mode, target.depth, target.width)
	{
	}

	PSDPixelBufferSink sink;
	PSDFormulaRows rows;
};

status_t renderParts(PSDCompositor& first, const PSDModel& model, const PSDRenderTarget& target,
                     PSDRenderSource& source, uint32* pixels)
{
	const uint64 area = (uint64)target.width * (uint64)target.height;
	const int32 bandRows = PSDCompositor::BandRows(target);
	const int32 half = (target.height / 2 + bandRows - 1) / bandRows * bandRows;
	FormulaPixels top(target, pixels);
	if (area < kPartedArea || half <= 0 || half >= target.height)
		return psdRenderModel(first, target, top.rows, 0, target.height);

	status_t secondStatus = B_OK;
	std::exception_ptr secondFailure;
	auto second = [&]() {
		try {
			FormulaPixels bottomPixels(target, pixels);
			PSDCompositor bottom(model, target, source);
			secondStatus = bottom.Init();
			if (secondStatus == B_OK) {
				secondStatus =
				    psdRenderModel(bottom, target, bottomPixels.rows, half, target.height);
			}
		} catch (...) {
			secondFailure = std::current_exception();
		}
	};
	std::thread thread;
	if (std::thread::hardware_concurrency() > 1)
		thread = std::thread(second);
	else
		second();
	status_t status = B_OK;
	std::exception_ptr failure;
	try {
		status = psdRenderModel(first, target, top.rows, 0, half);
	} catch (...) {
		failure = std::current_exception();
	}
	if (thread.joinable())
		thread.join();
	if (failure)
		std::rethrow_exception(failure);
	if (secondFailure)
		std::rethrow_exception(secondFailure);
	return status != B_OK ? status : secondStatus;
}

// The whole canvas of a target (the document's, or a reduced one) into the
// bitmap's pixel words, its colours converted as the plan says.
status_t renderWhole(PSDCompositor& compositor, const PSDModel& model,
                     const PSDRenderTarget& target, PSDRenderSource& source,
                     const PSDColourPlan& colour, uint32* pixels)
{
	if (!colour.transform)
		return renderParts(compositor, model, target, source, pixels);
	PSDPixelBufferSink sink(pixels);
	PSDManagedPixels managed(*colour.transform, psdColourSpacePlanes(colour.space), -1, 2, sink,
	                         (uint32)target.width, (uint32)target.height);
	status_t status = psdRenderModel(compositor, target, managed, 0, target.height);
	const status_t converted = managed.Finish();
	return status != B_OK ? status : converted;
}

// The full rendering averaged down to `size`: the colours as they come out,
// or averaged as the document's own values and converted after.
status_t renderAveraged(PSDCompositor& compositor, const PSDRenderTarget& target,
                        const PSDColourPlan& colour, const ReducedSize& size, uint32* pixels)
{
	const uint32 width = (uint32)target.width, height = (uint32)target.height;
	if (colour.transform) {
		std::unique_ptr<SampleAverageSink> sink = SampleAverageSink::Make(
		    width, height, size.width, size.height, psdColourSpacePlanes(colour.space), -1, 2);
		if (!sink)
			return B_NO_MEMORY;
		status_t status = psdRenderModel(compositor, target, *sink, 0, target.height);
		const PSDColourTransform* transform = colour.transform->Get();
		if (status == B_OK && transform == nullptr)
			status = B_NO_MEMORY;
		if (status != B_OK)
			return status;
		sink->Finish(*transform);
		memcpy(pixels, sink->Pixels(), sizeof(uint32) * size.width * size.height);
		return B_OK;
	}
	AreaAverageSink sink(width, height, size.width, size.height);
	if (sink.InitCheck() != B_OK)
		return B_NO_MEMORY;
	PSDFormulaRows rows(sink, target.mode, target.depth, target.width);
	const status_t status = psdRenderModel(compositor, target, rows, 0, target.height);
	sink.Finish();
	memcpy(pixels, sink.Pixels(), sizeof(uint32) * size.width * size.height);
	return status;
}

} // namespace

bool psd_can_render_layers(const PSDDocument& document, const PSDLayers& records)
{
	return !records.layers.empty() && psdRenderedColours(document.mode) > 0;
}

status_t psd_read_layers(PSDRequest& request, const PSDLayers& records, const ReducedSize& size,
                         const PSDColourPlan& colour, uint32* pixels)
{
	const PSDDocument& document = request.document;
	BPositionIO* in = request.in;
	const PSDRenderTarget target = {(int32)document.width, (int32)document.height,
	                                psdRenderedColours(document.mode), document.mode,
	                                records.depth};
	const PSDModelContext context = {in,
	                                 target.width,
	                                 target.height,
	                                 target.mode,
	                                 target.colours,
	                                 target.depth,
	                                 document.IsPSB(),
	                                 globalResource(in, document, PSD_RESOURCE_GLOBAL_ANGLE, 120),
	                                 globalResource(in, document, PSD_RESOURCE_GLOBAL_ALTITUDE, 30),
	                                 &records.globalBlocks,
	                                 PSDModelLimits()};
	PSDModel model;
	if (psdReadModel(context, records, &model, &request.reason) != B_OK)
		return B_ERROR;
	PSDFileSource source(in, records.depth, document.IsPSB());

	const uint64 limit = workLimit(request);
	const bool reduced = size.width != document.width || size.height != document.height;
	PSDCompositor full(model, target, source);
	status_t status = full.Init();
	if (status != B_OK)
		return request.Fail(status, "not enough memory to render the layers");
	const uint64 work = full.Work();
	if (!reduced) {
		if (work > limit)
			return tooMuchWork(request, work, limit);
		status = renderWhole(full, model, target, source, colour, pixels);
		return status == B_OK ? B_OK
		                      : request.Fail(status, "not enough memory to render the layers");
	}
	// A reduced reading is a thumbnail: it must not take long.
	const uint64 reducedLimit = request.explicitLimit ? limit : std::min(limit, PSD_THUMBNAIL_WORK);
	if (work <= reducedLimit) {
		status = renderAveraged(full, target, colour, size, pixels);
	} else {
		// Too much at full size: the layers are drawn at the bitmap's.
		PSDRenderTarget small = target;
		small.width = (int32)size.width;
		small.height = (int32)size.height;
		small.scale =
		    std::min((double)size.width / document.width, (double)size.height / document.height);
		PSDCompositor scaled(model, small, source);
		status = scaled.Init();
		if (status == B_OK && scaled.Work() > reducedLimit)
			return tooMuchWork(request, scaled.Work(), reducedLimit);
		if (status == B_OK)
			status = renderWhole(scaled, model, small, source, colour, pixels);
	}
	if (status != B_OK)
		return request.Fail(status, "not enough memory to render the layers");
	return B_OK;
}
