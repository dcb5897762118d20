#ifndef PSD_MERGED_IMAGE_H
#define PSD_MERGED_IMAGE_H

// The merged image of a described file, decoded into B_RGBA32 pixel words
// and handed to a sink a span of pixels at a time, in pixel order.

#include "PSDDocument.h"
#include "PSDPlaneSet.h"

// How the planes of the merged image become pixel words.
enum PSDMergedKind {
	PSD_MERGED_GRAY,    // plane 0 as opaque gray (gray, duotone, Lab's lightness)
	PSD_MERGED_RGB,     // planes 0-2, opaque
	PSD_MERGED_RGBA,    // planes 0-2 and plane 3 as alpha
	PSD_MERGED_CMYK,    // planes 0-3, red = cyan x black >> 8 and so on, opaque
	PSD_MERGED_INDEXED, // plane 0 through the palette of the colour mode data
	PSD_MERGED_BITMAP,  // one bit a pixel, 1 black, rows starting on a byte
};

class PSDPixelSink {
public:
	// Where the pixel words of pixels [first, first + count) go; they are
	// written before the next call.
	virtual uint32* Span(uint64 first, uint32 count) = 0;
	// Whether the sink keeps the whole image, so that a reading may keep
	// planes as large as it beside it.
	virtual bool HoldsImage() const { return false; }

protected:
	~PSDPixelSink() {}
};

// A sink that is the whole image's pixel words.
class PSDPixelBufferSink : public PSDPixelSink {
public:
	explicit PSDPixelBufferSink(uint32* pixels) : fPixels(pixels) {}
	uint32* Span(uint64 first, uint32) override { return fPixels + first; }
	bool HoldsImage() const override { return true; }

private:
	uint32* fPixels;
};

// Decodes the document's width x height pixels in any compression and
// depth; planes whose data has ended are read as zeros. B_ERROR for an
// indexed image without a 768-byte palette or a compression the core does
// not know (the sink then sees nothing), B_NO_MEMORY when buffers cannot be
// had.
status_t psdCoreDecodeMerged(BPositionIO* in, const PSDDocument& document, PSDMergedKind kind,
                             PSDPixelSink& sink);

// The first `planes` planes (at most 4) of the merged image as stored, for
// readings that convert colour themselves: spans of 8-bit samples as bytes,
// 16-bit ones whole in host order, 32-bit floats as linear 16-bit values
// (alphaPlane's, -1 for none, as 257 times the byte Tarnwick makes of it).
// holdsImage: whatever the sink writes to keeps the whole image, so ZIP data
// may be kept beside it. B_ERROR for a compression the core does not know.
status_t psdCoreDecodeMergedSamples(BPositionIO* in, const PSDDocument& document, int planes,
                                    int alphaPlane, bool holdsImage, PSDPlaneSpanSink& sink);

// Planes the kind reads from the file.
int psdCoreMergedPlanes(PSDMergedKind kind);

#endif
