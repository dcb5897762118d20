#ifndef SAMPLE_AVERAGE_SINK_H
#define SAMPLE_AVERAGE_SINK_H

// A colour-managed reading reduced while it is decoded: the document's own
// samples (the merged image's spans, or the rows a rendering finishes) are
// area-averaged (AreaAverage.h) in the document's colour space, weighted by
// alpha, on a 16-bit scale, and the small image goes through the colour
// transform once, at the end.

#include <colour/PSDColourSinks.h>

#include <memory>

class SampleAverageSink : public PSDPlaneSpanSink, public PSDColourRows {
public:
	// An image of width x height reduced to outWidth x outHeight. Spans:
	// `colours` planes (1, 3 or 4) of sampleBytes bytes a sample and alpha at
	// alphaPlane (-1: opaque); rows: `colours` planes and alpha behind them.
	// Null when the buffers cannot be had.
	static std::unique_ptr<SampleAverageSink> Make(uint32 width, uint32 height, uint32 outWidth,
	                                               uint32 outHeight, int colours, int alphaPlane,
	                                               uint32 sampleBytes);
	virtual ~SampleAverageSink() {}

	// Averages what is still open and converts the small image; its pixel
	// words are then complete. Pixels never handed over count as
	// transparent.
	virtual void Finish(const PSDColourTransform& transform) = 0;
	virtual const uint32* Pixels() const = 0;
};

#endif
