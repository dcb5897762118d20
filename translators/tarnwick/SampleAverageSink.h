#ifndef SAMPLE_AVERAGE_SINK_H
#define SAMPLE_AVERAGE_SINK_H

// A colour-managed reading reduced while it is decoded: the document's own
// samples (the merged image's spans, or the rows a rendering finishes) are
// area-averaged (AreaAverage.h) in the document's colour space, weighted by
// alpha, and the small image goes through the colour transform once, at
// the end.

#include "AreaAverage.h"

#include <PSDColourSinks.h>

#include <vector>

class SampleAverageSink : public PSDPlaneSpanSink,
                          public PSDColourRows,
                          private AreaAverage<4, double> {
public:
	// Spans: `colours` planes of sampleBytes bytes a sample and alpha at
	// alphaPlane (-1: opaque); rows: `colours` planes and alpha behind them.
	SampleAverageSink(uint32 width, uint32 height, uint32 outWidth, uint32 outHeight, int colours,
	                  int alphaPlane, uint32 sampleBytes);

	// B_NO_MEMORY when the buffers could not be had.
	status_t InitCheck() const;

	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
	          uint32 count) override;
	void Row(int32 y, const float* const planes[]) override;

	// Averages what is still open and converts the small image; its pixel
	// words are then complete. Pixels never handed over count as
	// transparent.
	void Finish(const PSDColourTransform& transform);
	const uint32* Pixels() const { return fPixels.data(); }

private:
	void EmitRow(uint32 row, const Sums* sums) override;

	uint32 fWidth;
	int fColours;
	int fAlphaPlane;
	uint32 fSampleBytes;
	// The small image's samples: 16-bit colour planes, alpha bytes.
	std::vector<uint16> fColourPlanes[4];
	std::vector<uint8> fAlpha;
	std::vector<uint32> fPixels;
	bool fReady = false;
};

#endif
