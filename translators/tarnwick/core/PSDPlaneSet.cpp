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

// Where each plane's bytes start if the row byte counts are right; false
// when the table cannot be read.
bool guessPackedPlanes(BPositionIO* in, off_t start, const PSDPlaneSetLayout& layout,
	off_t* starts)
{
	PSDFileBuffer& table = sPlaneSet.buffers[0];
	psdCoreFileBufferInitAt(table, in, start - (off_t)layout.channels * layout.height * 2);
	uint32 offset = table.fileBufferOffset;
	uint32 length = table.fileBufferLength;
	starts[0] = start;
	for (int plane = 1; plane < layout.planes; plane++) {
		uint64 bytes = 0;
		for (uint32 row = 0; row < layout.height; row++) {
			uint32 count = 0;
			for (int i = 0; i < 2; i++) {
				if (!psdCoreFileBufferEnsure(table, offset, length))
					return false;
				count = count << 8 | table.fileBuffer[offset++];
			}
			bytes += count;
		}
		starts[plane] = starts[plane - 1] + (off_t)bytes;
	}
	return true;
}

// Decodes every span from the given plane starts; false when a PackBits
// plane's packets did not end where the next plane was taken to start.
bool decodePlanes(BPositionIO* in, const PSDPlaneSetLayout& layout, const off_t* starts,
	PSDPlaneSpanSink& sink)
{
	const uint32 sampleBytes = layout.is16Bits ? 2 : 1;
	const uint64 samples = (uint64)layout.width * layout.height;
	for (int plane = 0; plane < layout.planes; plane++) {
		psdCoreFileBufferInitAt(sPlaneSet.buffers[plane], in, starts[plane]);
		sPlaneSet.rests[plane] = PSDPackBitsRest();
	}

	const uint8* spans[PSD_PLANE_SET_MAX_PLANES] = {};
	const uint32 span = PSD_PLANE_SET_SPAN;
	for (uint64 first = 0; first < samples; first += span) {
		uint32 count = samples - first < span ? (uint32)(samples - first) : span;
		for (int plane = 0; plane < layout.planes; plane++) {
			StagingSink staging = {sPlaneSet.staging[plane]};
			if (layout.packed) {
				psdCoreDecodePackBitsSpan(sPlaneSet.buffers[plane], sPlaneSet.rests[plane],
					(uint64)count * sampleBytes, staging);
			} else {
				psdCoreDecodeRaw(sPlaneSet.buffers[plane], (uint64)count * sampleBytes, staging);
			}
			if (layout.is16Bits)
				psdCoreNarrowSamples(sPlaneSet.staging[plane], count);
			spans[plane] = sPlaneSet.staging[plane];
		}
		sink.Span(spans, first, count);
	}

	if (!layout.packed)
		return true;
	for (int plane = 0; plane + 1 < layout.planes; plane++) {
		psdCoreDropPackBitsRest(sPlaneSet.buffers[plane], sPlaneSet.rests[plane]);
		if (psdCoreFileBufferPosition(sPlaneSet.buffers[plane]) != starts[plane + 1])
			return false;
	}
	return true;
}

}  // namespace

void psdCoreReadPlaneSet(BPositionIO* in, const PSDPlaneSetLayout& layout,
	PSDPlaneSpanSink& sink)
{
	const off_t start = in->Position();
	const uint64 planeBytes = (uint64)layout.width * layout.height * (layout.is16Bits ? 2 : 1);
	off_t starts[PSD_PLANE_SET_MAX_PLANES];
	if (!layout.packed) {
		for (int plane = 0; plane < layout.planes; plane++)
			starts[plane] = start + (off_t)(plane * planeBytes);
		decodePlanes(in, layout, starts, sink);
		return;
	}
	if (guessPackedPlanes(in, start, layout, starts) && decodePlanes(in, layout, starts, sink))
		return;
	findPackedPlanes(in, start, planeBytes, layout.planes, starts);
	decodePlanes(in, layout, starts, sink);
}
