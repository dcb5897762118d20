#ifndef PSD_RENDER_SOURCE_H
#define PSD_RENDER_SOURCE_H

// What rendering reads of the file beyond the layer model: the rows of the
// layers' channels and the large tables the model locates without reading
// them. The add-on gives them over the file, tests over memory; render/
// never sees the stream. Running out of memory throws std::bad_alloc.

#include <layers/PSDLayers.h>

#include <memory>
#include <vector>

class PSDRowSource {
public:
	virtual ~PSDRowSource() {}
	// Row y of the channel, inside the window it was opened for, as the
	// window's width in floats in [0, 1]: stored values, linear light at 32
	// bits. Rows are asked for top to bottom; going back to an earlier row
	// may cost reading the channel again from its start.
	virtual void Row(uint32 y, float* out) = 0;
	// True when row y and every row below it read as zeros (the channel's
	// data ended before them), so they need not be read.
	virtual bool Ended(uint32 y) const = 0;
};

class PSDRenderSource {
public:
	// The rows of a channel of width x height samples, for the window: the
	// samples wanted, in the channel's coordinates (clipped to it). Data that
	// lies or runs out reads as zeros.
	virtual std::unique_ptr<PSDRowSource> OpenRows(const PSDLayerChannel& channel, uint32 width,
	                                               uint32 height, const PSDRect& window) = 0;
	// The bytes of a located block, when it has at most `limit` of them and
	// the file holds them all.
	virtual bool ReadTable(const PSDBlock& where, std::vector<uint8>* data, uint64 limit) = 0;

protected:
	~PSDRenderSource() {}
};

#endif
