#ifndef PSD_COLOUR_SINKS_H
#define PSD_COLOUR_SINKS_H

// Where a reading's samples become pixel words, once, at the end: the merged
// image's spans and the rows a rendering finishes, by the formulas (as
// Tarnwick has always read them) or through a colour transform.

#include "PSDColourPending.h"
#include "PSDColourWork.h"

#include <core/PSDMergedImage.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// The rows a rendering finishes, in the document's colour mode: its colour
// planes, then alpha, each the stored values as floats in [0, 1] (CMYK as
// inverted ink; 32-bit documents' linear light), the document's width.
class PSDColourRows {
public:
	virtual void Row(int32 y, const float* const planes[]) = 0;

protected:
	~PSDColourRows() {}
};

// Rendered rows as the merged image of the mode and depth is read without
// colour management: 16-bit values keep their high byte, floats go through
// the sRGB curve, CMYK by psdColourInkByte, Lab as its lightness.
class PSDFormulaRows : public PSDColourRows {
public:
	PSDFormulaRows(PSDPixelSink& sink, uint16 mode, uint16 depth, int32 width);
	// B_NO_MEMORY when its row of bytes could not be had.
	status_t InitCheck() const { return fBytes ? B_OK : B_NO_MEMORY; }
	void Row(int32 y, const float* const planes[]) override;

private:
	PSDPixelSink& fSink;
	uint16 fMode;
	uint16 fDepth;
	int32 fWidth;
	std::unique_ptr<uint8[]> fBytes;
};

// Samples through a transform into the sink's pixel words: the spans of
// psdCoreDecodeMergedSamples or rendered rows (as 16-bit samples). Where
// the sink keeps the whole image, conversions run on the machine's other
// cores while the reading goes on; Finish waits for them.
class PSDManagedPixels : public PSDPlaneSpanSink, public PSDColourRows {
public:
	// Spans: `colours` planes of `sampleBytes` bytes a sample, and alpha at
	// alphaPlane (-1: opaque). Rows: `colours` planes and alpha behind them,
	// made 2-byte samples (so sampleBytes must be 2).
	PSDManagedPixels(PSDColourPending& transform, int colours, int alphaPlane, uint32 sampleBytes,
	                 PSDPixelSink& sink, uint32 width, uint32 height);
	~PSDManagedPixels();

	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
	          uint32 count) override;
	void Row(int32 y, const float* const planes[]) override;
	// Converts what is left; B_NO_MEMORY if a buffer or the transform could
	// not be had, and pixels were left unconverted.
	status_t Finish();

private:
	struct Chunk;

	// Room in the open chunk for count pixels bound for the sink's pixels
	// [first, first + count); where they go in the chunk, or -1.
	int64 _Room(uint64 first, uint32 count);
	void _Filled();
	void _Flush();
	void _Convert(const Chunk& chunk);
	std::unique_ptr<Chunk> _FreeChunk();
	void _Recycle(std::unique_ptr<Chunk> chunk);

	PSDColourPending& fTransform;
	int fColours;
	int fAlphaPlane;
	uint32 fSampleBytes;
	PSDPixelSink& fSink;
	uint32 fWidth;
	std::unique_ptr<Chunk> fChunk; // being filled
	std::mutex fFreeLock;
	std::vector<std::unique_ptr<Chunk>> fFree; // converted, to be filled again
	std::atomic<bool> fFailed{false};
	PSDColourWork fWork;
};

#endif
