#include "PSDFileSource.h"

#include <layers/PSDChannelReader.h>

#include <new>

namespace {

class ChannelRows : public PSDRowSource {
public:
	ChannelRows(BPositionIO* in, const PSDLayerChannel& channel, uint32 width, uint32 height,
	            const PSDRect& window, uint16 depth, bool psb)
	    : fReader(in, channel, width, height, window, depth, psb)
	{
		if (fReader.Init() != B_OK)
			throw std::bad_alloc();
	}

	void Row(uint32 y, float* out) override { fReader.Row(y, out); }
	bool Ended(uint32 y) const override { return fReader.Ended(y); }

private:
	PSDChannelReader fReader;
};

} // namespace

std::unique_ptr<PSDRowSource> PSDFileSource::OpenRows(const PSDLayerChannel& channel, uint32 width,
                                                      uint32 height, const PSDRect& window)
{
	return std::unique_ptr<PSDRowSource>(
	    new ChannelRows(fIn, channel, width, height, window, fDepth, fPSB));
}

bool PSDFileSource::ReadTable(const PSDBlock& where, std::vector<uint8>* data, uint64 limit)
{
	return psdReadBlock(fIn, where, data, limit);
}
