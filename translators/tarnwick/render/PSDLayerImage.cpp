#include "PSDLayerImage.h"

#include <render/compose/PSDCompositor.h>

#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <core/PSDFloatSamples.h>
#include <core/PSDPixel.h>

#include <algorithm>
#include <vector>

namespace {

// A rendered value as the byte the merged image of the same depth would
// give: 16-bit samples keep their high byte, floats are linear light.
inline uint8 colourByte(float value, uint16 depth)
{
	if (depth == 32)
		return psdCoreFloatColourByte(value);
	value = std::min(1.0f, std::max(0.0f, value));
	if (depth == 16)
		return (uint8)((uint32)(value * 65535 + 0.5f) >> 8);
	return (uint8)(value * 255 + 0.5f);
}

// Through int, which the vectoriser converts to from float; never NaN here.
inline uint8 alphaByte(float value)
{
	value = value < 0 ? 0.0f : value > 1 ? 1.0f : value;
	return (uint8)(int)(value * 255 + 0.5f);
}

// Bytes of a plane's row, then pixel words from them: loops the compiler
// vectorises.
void convertRow(const PSDBand& band, int32 y, uint16 mode, uint16 depth, uint8* bytes,
                uint32* pixels)
{
	const int32 width = band.Width();
	const int colours = mode == PSD_MODE_RGB ? 3 : mode == PSD_MODE_CMYK ? 4 : 1;
	uint8* plane[5];
	for (int c = 0; c <= colours; c++) {
		plane[c] = bytes + (size_t)c * width;
		const float* row = band.Row(c == colours ? band.Colours() : c, y);
		if (c == colours || depth == 8) {
			for (int32 x = 0; x < width; x++)
				plane[c][x] = alphaByte(row[x]);
		} else {
			for (int32 x = 0; x < width; x++)
				plane[c][x] = colourByte(row[x], depth);
		}
	}
	const uint8* alpha = plane[colours];
	if (mode == PSD_MODE_RGB) {
		for (int32 x = 0; x < width; x++)
			pixels[x] = psdCorePixel(plane[2][x], plane[1][x], plane[0][x], alpha[x]);
	} else if (mode == PSD_MODE_CMYK) {
		for (int32 x = 0; x < width; x++) {
			const uint32 black = plane[3][x];
			pixels[x] = psdCorePixel((uint8)((plane[2][x] * black) >> 8),
			                         (uint8)((plane[1][x] * black) >> 8),
			                         (uint8)((plane[0][x] * black) >> 8), alpha[x]);
		}
	} else {
		for (int32 x = 0; x < width; x++)
			pixels[x] = psdCorePixel(plane[0][x], plane[0][x], plane[0][x], alpha[x]);
	}
}

} // namespace

int psdRenderedColours(uint16 mode)
{
	if (mode == PSD_MODE_BITMAP || mode == PSD_MODE_INDEXED)
		return 0;
	return psdCoreColourChannels(mode);
}

status_t psdRenderModel(PSDCompositor& compositor, const PSDRenderTarget& target,
                        PSDPixelSink& sink, int32 firstRow, int32 endRow)
{
	status_t status = B_OK;
	PSDBand band;
	const int32 rows = PSDCompositor::BandRows(target);
	std::vector<uint8> bytes((size_t)target.width * 5);
	if (band.Allocate(target.colours, target.width, rows) != B_OK)
		return B_NO_MEMORY;
	for (int32 top = firstRow / rows * rows; top < endRow; top += rows) {
		band.SetTop(top);
		status = compositor.Render(band);
		if (status != B_OK)
			return status;
		const int32 bottom = std::min(endRow, top + rows);
		for (int32 y = std::max(top, firstRow); y < bottom; y++) {
			uint32* pixels = sink.Span((uint64)y * target.width, (uint32)target.width);
			convertRow(band, y, target.mode, target.depth, bytes.data(), pixels);
		}
	}
	return B_OK;
}
