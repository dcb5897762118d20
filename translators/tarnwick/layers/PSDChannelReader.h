#ifndef PSD_CHANNEL_READER_H
#define PSD_CHANNEL_READER_H

// The rows of one layer channel, in any compression and depth, as floats in
// [0, 1] (stored values; linear light at 32 bits). Rows are found through
// the row byte counts (PackBits) or their offsets (raw), so any row can be
// read without the ones above it; ZIP data is inflated whole on first use.
// Data that lies or runs out gives zeros, never reads outside the channel.

#include "PSDLayers.h"

#include <memory>
#include <vector>

class PSDChannelReader {
public:
	PSDChannelReader(BPositionIO* in, const PSDLayerChannel& channel, uint32 width,
		uint32 height, uint16 depth, bool psb);

	// B_NO_MEMORY when the channel's tables or data cannot be held.
	status_t Init();
	uint32 Width() const { return fWidth; }
	uint32 Height() const { return fHeight; }
	// Row y of the channel, width floats.
	void Row(uint32 y, float* out);

private:
	bool ReadPacked(uint64 offset, size_t size, uint8* destination);
	void Widen(const uint8* samples, float* out) const;

	BPositionIO* fIn;
	PSDLayerChannel fChannel;
	uint32 fWidth;
	uint32 fHeight;
	uint32 fSampleBytes;
	bool fPSB;
	uint16 fCompression;
	uint64 fRowBytes;
	std::vector<uint64> fRowStarts;  // PackBits: height + 1 offsets
	std::unique_ptr<uint8[]> fInflated;  // ZIP: every row
	std::vector<uint8> fRow;
	std::vector<uint8> fPacked;
	// A window of the file ahead of the rows read, so that row after row
	// costs one read of the stream per window rather than per row.
	std::vector<uint8> fWindow;
	uint64 fWindowStart;
};

#endif
