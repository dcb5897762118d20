#ifndef PSD_RENDER_SOURCE_H
#define PSD_RENDER_SOURCE_H

// What rendering reads of the file beyond the layer model: the large tables
// the model locates without reading them. The layer reader gives them, so
// render/ never sees the stream.

#include <layers/PSDLayers.h>

#include <vector>

class PSDRenderSource {
public:
	// The bytes of a located block, when it has at most `limit` of them and
	// the file holds them all.
	virtual bool ReadTable(const PSDBlock& where, std::vector<uint8>* data, uint64 limit) = 0;

protected:
	~PSDRenderSource() {}
};

#endif
