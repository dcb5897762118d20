#include "PSDPlaneSet.h"

#include "PSDByteReader.h"
#include "PSDBytes.h"
#include "PSDFileBuffer.h"
#include "PSDFloatSamples.h"
#include "PSDPackBits.h"
#include "PSDSamples.h"

#include <cstring>
#include <memory>

namespace {

const uint32 kSampleBytesMax = 4;
const uint32 kStagingSize = PSD_PLANE_SET_SPAN * kSampleBytesMax + PSD_FILE_BUFFER_SLACK;

// Collects decoded bytes in one contiguous run. Short runs are copied in one
// fixed-size piece: the source and the staging area both have the slack.
struct StagingSink {
	uint8* next;

	void Put(const uint8* bytes, uint32 count)
	{
		if (count <= PSD_FILE_BUFFER_SLACK)
			memcpy(next, bytes, PSD_FILE_BUFFER_SLACK);
		else
			memcpy(next, bytes, count);
		next += count;
	}

	void Fill(uint8 value, uint64 count)
	{
		if (count <= PSD_FILE_BUFFER_SLACK)
			memset(next, value, PSD_FILE_BUFFER_SLACK);
		else
			memset(next, value, count);
		next += count;
	}
};

// Raw bytes as they are; once the data has ended, the bytes still owed are
// zeros.
template <class Sink> void decodeRaw(PSDFileBuffer& buffer, uint64 count, Sink& sink)
{
	const uint8* data = buffer.Data();
	uint32 offset = buffer.offset;
	uint32 length = buffer.length;
	while (count > 0 && psdCoreSourceEnsure(buffer, offset, length)) {
		uint32 chunk = length - offset;
		if (chunk > count)
			chunk = (uint32)count;
		sink.Put(data + offset, chunk);
		offset += chunk;
		count -= chunk;
	}
	buffer.offset = offset;
	sink.Fill(0, count);
}

// Owned by one decode, so decodes never share buffers.
struct PlaneSetState {
	PSDFileBuffer buffers[PSD_PLANE_SET_MAX_PLANES];
	PSDPackBitsRest rests[PSD_PLANE_SET_MAX_PLANES];
	uint8 staging[PSD_PLANE_SET_MAX_PLANES][kStagingSize];
};

// A position the buffers can start from; past INT64_MAX nothing is there.
off_t streamOffset(uint64 offset)
{
	return offset > (uint64)INT64_MAX ? -1 : (off_t)offset;
}

// Where each plane's bytes start: behind the packets of the plane before.
void findPackedPlanes(PlaneSetState& state, BPositionIO* in, uint64 planeBytes, int planes,
                      uint64* starts)
{
	PSDFileBuffer& walker = state.buffers[0];
	walker.Init(in, streamOffset(starts[0]));
	for (int plane = 1; plane < planes; plane++) {
		PSDPackBitsRest rest = PSDPackBitsRest();
		PSDPackBitsSkipSink skip;
		psdCoreDecodePackBitsSpan(walker, rest, planeBytes, skip);
		psdCoreDropPackBitsRest(walker, rest);
		starts[plane] = walker.Position();
	}
}

// Where each plane's bytes start if the row byte counts are right; false
// when the table cannot be read.
bool guessPackedPlanes(BPositionIO* in, const PSDPlaneSetLayout& layout, uint64* starts)
{
	const uint64 tableBytes = (uint64)layout.channels * layout.height * layout.rowCountSize;
	if (tableBytes > layout.planesOffset)
		return false;
	PSDByteReader table(in, layout.planesOffset - tableBytes, layout.planesOffset);
	for (int plane = 1; plane < layout.planes; plane++) {
		uint64 bytes = 0;
		for (uint32 row = 0; row < layout.height; row++)
			bytes += layout.rowCountSize == 4 ? table.Big32() : table.Big16();
		if (table.Failed())
			return false;
		starts[plane] = psdAddOffsets(starts[plane - 1], bytes);
	}
	return true;
}

// Decodes every span from the given plane starts; false when a PackBits
// plane's packets did not end where the next plane was taken to start.
bool decodePlanes(PlaneSetState& state, BPositionIO* in, const PSDPlaneSetLayout& layout,
                  const uint64* starts, PSDPlaneSpanSink& sink)
{
	const uint32 sampleBytes = layout.sampleBytes;
	const uint64 samples = (uint64)layout.width * layout.height;
	for (int plane = 0; plane < layout.planes; plane++) {
		state.buffers[plane].Init(in, streamOffset(starts[plane]));
		state.rests[plane] = PSDPackBitsRest();
	}

	const uint8* spans[PSD_PLANE_SET_MAX_PLANES] = {};
	const uint32 span = PSD_PLANE_SET_SPAN;
	for (uint64 first = 0; first < samples; first += span) {
		uint32 count = samples - first < span ? (uint32)(samples - first) : span;
		for (int plane = 0; plane < layout.planes; plane++) {
			StagingSink staging = {state.staging[plane]};
			if (layout.packed) {
				psdCoreDecodePackBitsSpan(state.buffers[plane], state.rests[plane],
				                          (uint64)count * sampleBytes, staging);
			} else {
				decodeRaw(state.buffers[plane], (uint64)count * sampleBytes, staging);
			}
			psdCoreFitSamples(state.staging[plane], count, layout, plane);
			spans[plane] = state.staging[plane];
		}
		sink.Span(spans, first, count);
	}

	if (!layout.packed)
		return true;
	for (int plane = 0; plane + 1 < layout.planes; plane++) {
		psdCoreDropPackBitsRest(state.buffers[plane], state.rests[plane]);
		if ((uint64)state.buffers[plane].Position() != starts[plane + 1])
			return false;
	}
	return true;
}

} // namespace

void psdCoreFitSamples(uint8* samples, uint32 count, const PSDPlaneSetLayout& layout, int plane)
{
	const bool alpha = plane == layout.floatAlphaPlane;
	if (!layout.wide)
		psdCoreNarrowSamples(samples, count, layout.sampleBytes, alpha);
	else if (layout.sampleBytes == 2)
		psdCoreHostOrderSamples(samples, count);
	else if (layout.sampleBytes == 4)
		psdCoreWidenFloatSamples(samples, count, alpha);
}

status_t psdCoreReadPlaneSet(BPositionIO* in, const PSDPlaneSetLayout& layout,
                             PSDPlaneSpanSink& sink)
{
	std::unique_ptr<PlaneSetState> state(new (std::nothrow) PlaneSetState);
	if (!state)
		return B_NO_MEMORY;
	const uint64 planeBytes = (uint64)layout.width * layout.height * layout.sampleBytes;
	uint64 starts[PSD_PLANE_SET_MAX_PLANES];
	starts[0] = layout.planesOffset;
	if (!layout.packed) {
		for (int plane = 1; plane < layout.planes; plane++)
			starts[plane] = psdAddOffsets(starts[plane - 1], planeBytes);
		decodePlanes(*state, in, layout, starts, sink);
		return B_OK;
	}
	if (guessPackedPlanes(in, layout, starts) && decodePlanes(*state, in, layout, starts, sink))
		return B_OK;
	findPackedPlanes(*state, in, planeBytes, layout.planes, starts);
	decodePlanes(*state, in, layout, starts, sink);
	return B_OK;
}
