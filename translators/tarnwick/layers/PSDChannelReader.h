#ifndef PSD_CHANNEL_READER_H
#define PSD_CHANNEL_READER_H

// The rows of one layer channel, in any compression and depth, as floats in
// [0, 1] (stored values; linear light at 32 bits), for a window of the
// channel: the part that can show on the canvas. Nothing is held or read
// for the rest, whatever size the record claims. Raw rows are found by
// their offsets, PackBits rows through the row byte counts, so any row can
// be read without the ones above it; ZIP data is inflated forward as rows
// are asked for, a row at a time (an earlier row inflates the channel again
// from its start). Data that lies or runs out gives zeros, never reads
// outside the channel.

#include "PSDGeometry.h"
#include "PSDLayers.h"

#include <core/PSDInflate.h>

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
	// True when row y and every row below it read as zeros: the channel's
	// data ended before them.
	bool Ended(uint32 y) const;

private:
	// Bytes of the channel from offset on, through a window of the stream.
	const uint8* Bytes(uint64 offset, size_t size);
	bool Read(uint64 offset, size_t size, uint8* destination);
	status_t InitPackedRows();
	void InflateRow(uint32 y, uint8* row);
	void UnpackRow(uint64 start, uint64 end, uint8* row);

	BPositionIO* fIn;
	PSDLayerChannel fChannel;
	uint32 fWidth;
	uint32 fHeight;
	PSDRect fWindow;
	uint32 fSampleBytes;
	bool fPSB;
	uint16 fCompression;
	uint64 fRowBytes;               // of a whole row in the file
	size_t fWindowBytes;            // of the window's part of a row
	uint64 fWindowStart;            // byte of a row where the window's part starts
	std::vector<uint64> fRowStarts; // PackBits: window rows' starts, and one past
	// ZIP: the stream, the row it gives next, and a whole row with room for
	// the scratch of 4-byte prediction.
	std::unique_ptr<PSDInflater> fInflater;
	uint32 fInflatedRows;
	std::vector<uint8> fWholeRow;
	std::vector<uint8> fRow;
	std::vector<uint8> fCache;
	uint64 fCacheStart;
};

#endif
