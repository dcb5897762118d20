#ifndef PSD_PLANE_SET_H
#define PSD_PLANE_SET_H

// Reads the first few planes of an image's data side by side, each through a
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

// Receives the samples of pixels [first, first + count) of every plane,
// already narrowed to a byte each, or made two bytes (the layout's wide).
class PSDPlaneSpanSink {
public:
	virtual void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
	                  uint32 count) = 0;

protected:
	~PSDPlaneSpanSink() {}
};

struct PSDPlaneSetLayout {
	bool packed;
	uint32 sampleBytes; // 1, 2 (the high byte counts) or 4 (a float)
	int planes;         // read, at most PSD_PLANE_SET_MAX_PLANES
	uint32 width;       // samples a row
	uint32 height;
	uint64 planesOffset; // plane 0's first byte
	// PackBits only: the row byte counts, channels x height entries of
	// rowCountSize bytes, lie right in front of plane 0.
	uint32 channels;
	uint32 rowCountSize;
	int floatAlphaPlane; // a 4-byte plane read as alpha rather than colour; -1 for none
	// 16-bit and 32-bit samples handed over as two bytes in host order
	// rather than narrowed to one: 16-bit ones whole, floats as linear
	// values times 65535 (alpha: 257 times its byte).
	bool wide;

	// Bytes a sample takes in the spans.
	uint32 SpanSampleBytes() const { return wide && sampleBytes > 1 ? 2 : 1; }
};

// Makes count samples of the plane, as stored, the size the spans hand
// over, in place at their front.
void psdCoreFitSamples(uint8* samples, uint32 count, const PSDPlaneSetLayout& layout, int plane);

// B_NO_MEMORY when its buffers cannot be had; the sink has then seen nothing.
status_t psdCoreReadPlaneSet(BPositionIO* in, const PSDPlaneSetLayout& layout,
                             PSDPlaneSpanSink& sink);

#endif
