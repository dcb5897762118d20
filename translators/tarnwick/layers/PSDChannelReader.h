#ifndef PSD_CHANNEL_READER_H
#define PSD_CHANNEL_READER_H

// The rows of one layer channel, in any compression and depth, as floats in
// [0, 1] (stored values; linear light at 32 bits), for a window of the
// channel: the part that can show on the canvas. Nothing is held or read
// for the rest, whatever size the record claims. Raw rows are found by
// their offsets, PackBits rows through the row byte counts, so any row can
// be read without the ones above it; ZIP data is inflated once, keeping the
// window. Data that lies or runs out gives zeros, never reads outside the
// channel.

#include "PSDGeometry.h"
#include "PSDLayers.h"

#include <memory>
#include <vector>

class PSDChannelReader {
public:
	// width x height: the channel's size; window: the samples wanted, in
	// the channel's coordinates (clipped to it).
	PSDChannelReader(BPositionIO* in, const PSDLayerChannel& channel, uint32 width, uint32 height,
	                 const PSDRect& window, uint16 depth, bool psb);

	// B_NO_MEMORY when the window's tables or data cannot be held.
	status_t Init();
	// The window's part of row y (a row of the channel inside the window):
	// the window's width in floats.
	void Row(uint32 y, float* out);

private:
	// Bytes of the channel from offset on, through a window of the stream.
	const uint8* Bytes(uint64 offset, size_t size);
	bool Read(uint64 offset, size_t size, uint8* destination);
	status_t InitPackedRows();
	status_t InitInflated();
	void UnpackRow(uint64 start, uint64 end, uint8* row);

	BPositionIO* fIn;
	PSDLayerChannel fChannel;
	uint32 fWidth;
	uint32 fHeight;
	PSDRect fWindow;
	uint32 fSampleBytes;
	bool fPSB;
	uint16 fCompression;
	uint64 fRowBytes;                   // of a whole row in the file
	size_t fWindowBytes;                // of the window's part of a row
	uint64 fWindowStart;                // byte of a row where the window's part starts
	std::vector<uint64> fRowStarts;     // PackBits: window rows' starts, and one past
	std::unique_ptr<uint8[]> fInflated; // ZIP: the window's rows
	std::vector<uint8> fRow;
	std::vector<uint8> fCache;
	uint64 fCacheStart;
};

#endif
