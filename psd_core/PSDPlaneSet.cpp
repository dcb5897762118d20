#include "PSDPlaneSet.h"

#include "PSDInterleave.h"
#include "PSDPlaneDecoding.h"

#include <cstring>

namespace {

const uint32 kSampleBytesMax = 2;
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

// Walks packets without keeping their bytes.
struct SkipSink {
	void Put(const uint8*, uint32) {}
	void Fill(uint8, uint64) {}
};

// Per thread, like the read buffer: decodes on other threads never share it.
struct PlaneSetState {
	PSDFileBuffer buffers[PSD_PLANE_SET_MAX_PLANES];
	PSDPackBitsRest rests[PSD_PLANE_SET_MAX_PLANES];
	uint8 staging[PSD_PLANE_SET_MAX_PLANES][kStagingSize];
};

thread_local PlaneSetState sPlaneSet;

// Where each plane's bytes start: behind the packets of the plane before.
void findPackedPlanes(BPositionIO* in, off_t start, uint64 planeBytes, int planes,
	off_t* starts)
{
	PSDFileBuffer& walker = sPlaneSet.buffers[0];
	psdCoreFileBufferInitAt(walker, in, start);
	starts[0] = start;
	for (int plane = 1; plane < planes; plane++) {
		SkipSink skip;
		psdCoreDecodePackBits(walker, planeBytes, skip);
		starts[plane] = psdCoreFileBufferPosition(walker);
	}
}

}  // namespace

void psdCoreReadPlaneSet(BPositionIO* in, bool packed, bool is16Bits, int planes,
	uint64 samples, PSDPlaneSpanSink& sink)
{
	const uint32 sampleBytes = is16Bits ? 2 : 1;
	const uint64 planeBytes = samples * sampleBytes;
	const off_t start = in->Position();
	off_t starts[PSD_PLANE_SET_MAX_PLANES];
	if (packed)
		findPackedPlanes(in, start, planeBytes, planes, starts);
	for (int plane = 0; plane < planes; plane++) {
		if (!packed)
			starts[plane] = start + (off_t)(plane * planeBytes);
		psdCoreFileBufferInitAt(sPlaneSet.buffers[plane], in, starts[plane]);
		sPlaneSet.rests[plane] = PSDPackBitsRest();
	}

	const uint8* spans[PSD_PLANE_SET_MAX_PLANES] = {};
	const uint32 span = PSD_PLANE_SET_SPAN;
	for (uint64 first = 0; first < samples; first += span) {
		uint32 count = samples - first < span ? (uint32)(samples - first) : span;
		for (int plane = 0; plane < planes; plane++) {
			StagingSink staging = {sPlaneSet.staging[plane]};
			if (packed) {
				psdCoreDecodePackBitsSpan(sPlaneSet.buffers[plane], sPlaneSet.rests[plane],
					(uint64)count * sampleBytes, staging);
			} else {
				psdCoreDecodeRaw(sPlaneSet.buffers[plane], (uint64)count * sampleBytes, staging);
			}
			if (is16Bits)
				psdCoreNarrowSamples(sPlaneSet.staging[plane], count);
			spans[plane] = sPlaneSet.staging[plane];
		}
		sink.Span(spans, first, count);
	}
}
