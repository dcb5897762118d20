#ifndef PSD_PLANE_SET_H
#define PSD_PLANE_SET_H

// Reads the first few planes of the image data side by side, each through a
// read buffer of its own, and hands them over a span of samples at a time,
// so a loader can write each pixel word once, whole.
//
// The result is the same as decoding the planes one after the other: a
// PackBits plane starts right behind the last packet of the plane before, a
// raw plane at its fixed offset, and once the data has ended every sample
// still owed is 0. PackBits planes are first taken to start where the row
// byte counts say; if a plane's packets then end elsewhere, as only in
// damaged files, the planes are found by walking the packets and decoded
// again.

#include <DataIO.h>
#include <SupportDefs.h>

enum { PSD_PLANE_SET_MAX_PLANES = 4, PSD_PLANE_SET_SPAN = 4096 };

// Receives the samples of pixels [first, first + count) of every plane;
// 16-bit samples are already reduced to their high byte.
class PSDPlaneSpanSink {
public:
	virtual void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
		uint32 count) = 0;

protected:
	~PSDPlaneSpanSink() {}
};

struct PSDPlaneSetLayout {
	bool packed;
	bool is16Bits;
	int planes;  // read, at most PSD_PLANE_SET_MAX_PLANES
	uint32 width;
	uint32 height;
	uint32 channels;  // in the file: the row byte counts have channels x height entries
};

// `in` stands at the first byte of plane 0, behind the row byte counts.
void psdCoreReadPlaneSet(BPositionIO* in, const PSDPlaneSetLayout& layout,
	PSDPlaneSpanSink& sink);

#endif
