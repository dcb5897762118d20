#include "PSDLayerReading.h"

#include "PSDFileSource.h"

#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <layers/PSDModelReader.h>
#include <render/PSDLayerImage.h>
#include <render/compose/PSDCompositor.h>

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

status_t renderParts(PSDCompositor& first, const PSDModel& model, const PSDRenderTarget& target,
                     PSDRenderSource& source, PSDPixelSink& sink)
{
	const uint64 area = (uint64)target.width * (uint64)target.height;
	const int32 bandRows = PSDCompositor::BandRows(target);
	const int32 half = (target.height / 2 + bandRows - 1) / bandRows * bandRows;
	if (area < kPartedArea || half <= 0 || half >= target.height)
		return psdRenderModel(first, target, sink, 0, target.height);

	status_t secondStatus = B_OK;
	std::exception_ptr secondFailure;
	auto second = [&]() {
		try {
			PSDCompositor bottom(model, target, source);
			secondStatus = bottom.Init();
			if (secondStatus == B_OK)
				secondStatus = psdRenderModel(bottom, target, sink, half, target.height);
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
		status = psdRenderModel(first, target, sink, 0, half);
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

} // namespace

bool psd_can_render_layers(const PSDDocument& document, const PSDLayers& records)
{
	return !records.layers.empty() && psdRenderedColours(document.mode) > 0;
}

status_t psd_read_layers(PSDRequest& request, const PSDLayers& records, const ReducedSize& size,
                         uint32* pixels)
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
		PSDPixelBufferSink sink(pixels);
		status = renderParts(full, model, target, source, sink);
		return status == B_OK ? B_OK
		                      : request.Fail(status, "not enough memory to render the layers");
	}
	// A reduced reading is a thumbnail: it must not take long.
	const uint64 reducedLimit = request.explicitLimit ? limit : std::min(limit, PSD_THUMBNAIL_WORK);
	if (work <= reducedLimit) {
		AreaAverageSink sink(document.width, document.height, size.width, size.height);
		status = psdRenderModel(full, target, sink, 0, target.height);
		sink.Finish();
		memcpy(pixels, sink.Pixels(), sizeof(uint32) * size.width * size.height);
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
		PSDPixelBufferSink sink(pixels);
		if (status == B_OK)
			status = psdRenderModel(scaled, small, sink, 0, small.height);
	}
	if (status != B_OK)
		return request.Fail(status, "not enough memory to render the layers");
	return B_OK;
}
