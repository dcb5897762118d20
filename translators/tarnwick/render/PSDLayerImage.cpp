#include "PSDLayerImage.h"

#include "PSDCompositor.h"

#include <PSDChannels.h>
#include <PSDBytes.h>
#include <PSDCore.h>
#include <PSDFloatSamples.h>

#include <algorithm>

namespace {

// Channels rendered for a colour mode; 0 for modes without layers.
int renderedColours(uint16 mode)
{
	switch (mode) {
		case PSD_MODE_GRAYSCALE:
		case PSD_MODE_DUOTONE:
			return 1;
		case PSD_MODE_RGB:
		case PSD_MODE_LAB:
			return 3;
		case PSD_MODE_CMYK:
			return 4;
		default:
			return 0;
	}
}

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

inline uint8 alphaByte(float value)
{
	value = std::min(1.0f, std::max(0.0f, value));
	return (uint8)(value * 255 + 0.5f);
}

void convertRow(const PSDBand& band, int32 y, uint16 mode, uint16 depth, uint32* pixels)
{
	const int32 width = band.Width();
	const float* alpha = band.Row(band.Colours(), y);
	for (int32 x = 0; x < width; x++) {
		const uint8 a = alphaByte(alpha[x]);
		uint8 red, green, blue;
		if (mode == PSD_MODE_RGB) {
			red = colourByte(band.Row(0, y)[x], depth);
			green = colourByte(band.Row(1, y)[x], depth);
			blue = colourByte(band.Row(2, y)[x], depth);
		} else if (mode == PSD_MODE_CMYK) {
			const uint32 black = colourByte(band.Row(3, y)[x], depth);
			red = (uint8)((colourByte(band.Row(0, y)[x], depth) * black) >> 8);
			green = (uint8)((colourByte(band.Row(1, y)[x], depth) * black) >> 8);
			blue = (uint8)((colourByte(band.Row(2, y)[x], depth) * black) >> 8);
		} else {
			red = green = blue = colourByte(band.Row(0, y)[x], depth);
		}
		pixels[x] = psdCorePixel(blue, green, red, a);
	}
}

// The light's angle that layer effects share, from its image resource.
double globalAngle(BPositionIO* in, const PSDDocument& document)
{
	const PSDResource* resource = document.Resource(PSD_RESOURCE_GLOBAL_ANGLE);
	uint8 value[4];
	if (resource == nullptr || resource->length < 4 || !psdReadAt(in, resource->offset, value, 4))
		return 120;
	return (int32)psdBig32(value);
}

}  // namespace

bool psdCanRenderLayers(const PSDDocument& document, const PSDLayers& layers)
{
	return !layers.layers.empty() && renderedColours(document.mode) > 0;
}

status_t psdRenderLayers(BPositionIO* in, const PSDDocument& document, const PSDLayers& layers,
	PSDPixelSink& sink, std::string* reason)
{
	const int colours = renderedColours(document.mode);
	if (colours == 0) {
		*reason = "the layers of images in this colour mode are not rendered";
		return B_ERROR;
	}
	PSDRenderTarget target = {(int32)document.width, (int32)document.height, colours,
		document.mode, layers.depth, document.IsPSB()};
	target.globalAngle = globalAngle(in, document);
	target.globalBlocks = &layers.globalBlocks;
	const PSDLayerNode root = psdBuildLayerTree(in, layers);
	PSDCompositor compositor(in, target, layers, root);
	PSDBand band;
	const int32 rows = PSDCompositor::BandRows(target);
	if (band.Allocate(colours, target.width, rows) != B_OK) {
		*reason = "not enough memory to render the layers";
		return B_NO_MEMORY;
	}
	for (int32 top = 0; top < target.height; top += rows) {
		band.SetTop(top);
		status_t status = compositor.Render(band);
		if (status != B_OK) {
			*reason = "not enough memory to render the layers";
			return status;
		}
		const int32 bottom = std::min(target.height, top + rows);
		for (int32 y = top; y < bottom; y++) {
			uint32* pixels = sink.Span((uint64)y * target.width, (uint32)target.width);
			convertRow(band, y, document.mode, layers.depth, pixels);
		}
	}
	return B_OK;
}
