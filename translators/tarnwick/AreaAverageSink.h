#ifndef AREA_AVERAGE_SINK_H
#define AREA_AVERAGE_SINK_H

// The image reduced while it is decoded: each span of pixel words is
// averaged (AreaAverage.h) into the small bitmap as it arrives, so memory is
// the small bitmap, a span and two rows of sums, whatever the size of the
// image. Colours are averaged weighted by their alpha (premultiplied), as a
// picture shows them, and written back straight; a pixel whose area is
// wholly transparent is 0.

#include "AreaAverage.h"

#include <core/PSDMergedImage.h>

#include <memory>

struct ReducedSize {
	uint32 width;
	uint32 height;
};

// The largest size within the box with the image's aspect, rounded to whole
// pixels, at least 1 x 1 and never larger than the image. All at least 1.
ReducedSize reduced_size(uint32 width, uint32 height, uint32 boxWidth, uint32 boxHeight);

class AreaAverageSink : public PSDPixelSink, private AreaAverage<3> {
public:
	// An image of width x height reduced to outWidth x outHeight, neither
	// larger. Spans hold at most a row or kMaxSpan pixels, as the merged
	// image and the layer bands hand them out.
	AreaAverageSink(uint32 width, uint32 height, uint32 outWidth, uint32 outHeight);

	// The merged image's spans are up to 4096 samples; a bitmap's samples
	// are bytes of 8 pixels.
	enum { kMaxSpan = 8 * 4096 };

	// B_NO_MEMORY when the buffers could not be had.
	status_t InitCheck() const { return fPixels ? B_OK : B_NO_MEMORY; }

	uint32* Span(uint64 first, uint32 count) override;

	// Averages what is still open; the small bitmap's pixel words are then
	// complete. Pixels never handed over count as transparent.
	void Finish();
	const uint32* Pixels() const { return fPixels.get(); }

private:
	void _Average(uint64 first, uint32 count);
	void EmitRow(uint32 row, const Sums* sums) override;

	std::unique_ptr<uint32[]> fSpan;
	uint64 fPendingFirst = 0;
	uint32 fPendingCount = 0;
	std::unique_ptr<uint32[]> fPixels;
};

#endif
