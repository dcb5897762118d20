#ifndef PSD_FILE_SOURCE_H
#define PSD_FILE_SOURCE_H

// The large tables the layer model locates, read from the file when the
// renderer asks for them.

#include <render/PSDRenderSource.h>

#include <DataIO.h>

class PSDFileSource final : public PSDRenderSource {
public:
	explicit PSDFileSource(BPositionIO* in) : fIn(in) {}
	bool ReadTable(const PSDBlock& where, std::vector<uint8>* data, uint64 limit) override
	{
		return psdReadBlock(fIn, where, data, limit);
	}

private:
	BPositionIO* fIn;
};

#endif
