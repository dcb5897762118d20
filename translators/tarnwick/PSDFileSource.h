#ifndef PSD_FILE_SOURCE_H
#define PSD_FILE_SOURCE_H

// What rendering reads beyond the layer model, from the file: channel rows
// through the layer reader, and located tables.

#include <render/PSDRenderSource.h>

#include <DataIO.h>

class PSDFileSource : public PSDRenderSource {
public:
	// Channels of the given depth; PSB files count PackBits rows in 4 bytes.
	PSDFileSource(BPositionIO* in, uint16 depth, bool psb) : fIn(in), fDepth(depth), fPSB(psb) {}

	std::unique_ptr<PSDRowSource> OpenRows(const PSDLayerChannel& channel, uint32 width,
	                                       uint32 height, const PSDRect& window) override;
	bool ReadTable(const PSDBlock& where, std::vector<uint8>* data, uint64 limit) override;

private:
	BPositionIO* fIn;
	uint16 fDepth;
	bool fPSB;
};

#endif
