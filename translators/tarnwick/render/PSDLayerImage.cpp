#include "PSDLayerImage.h"

#include "PSDCompositor.h"

#include <PSDBytes.h>
#include <PSDCore.h>

#include <algorithm>

namespace {

// Channels rendered for a colour mode; 0 for modes without layers.
int renderedColours(uint16 mode)
{
	if (mode == PSD_MODE_BITMAP || mode == PSD_MODE_INDEXED)
		return 0;
	return psdCoreColourChannels(mode);
}

// The finished row, to be made pixels.
void convertRow(const PSDBand& band, int32 y, PSDColourRows& rows)
{
	const float* planes[5];
	for (int p = 0; p <= band.Colours(); p++)
		planes[p] = band.Row(p, y);
	rows.Row(y, planes);
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

} // namespace

bool psdCanRenderLayers(const PSDDocument& document, const PSDLayers& layers)
{
	return !layers.layers.empty() && renderedColours(document.mode) > 0;
}

status_t psdRenderLayers(BPositionIO* in, const PSDDocument& document, const PSDLayers& layers,
                         PSDColourRows& rows, std::string* reason)
{
	const int colours = renderedColours(document.mode);
	if (colours == 0) {
		*reason = "the layers of images in this colour mode are not rendered";
		return B_ERROR;
	}
	PSDRenderTarget target = {(int32)document.width, (int32)document.height, colours,
	                          document.mode,         layers.depth,           document.IsPSB()};
	target.globalAngle = globalAngle(in, document);
	target.globalBlocks = &layers.globalBlocks;
	const PSDLayerNode root = psdBuildLayerTree(in, layers);
	PSDCompositor compositor(in, target, layers, root);
	PSDBand band;
	const int32 bandRows = PSDCompositor::BandRows(target);
	if (band.Allocate(colours, target.width, bandRows) != B_OK) {
		*reason = "not enough memory to render the layers";
		return B_NO_MEMORY;
	}
	for (int32 top = 0; top < target.height; top += bandRows) {
		band.SetTop(top);
		status_t status = compositor.Render(band);
		if (status != B_OK) {
			*reason = "not enough memory to render the layers";
			return status;
		}
		const int32 bottom = std::min(target.height, top + bandRows);
		for (int32 y = top; y < bottom; y++)
			convertRow(band, y, rows);
	}
	return B_OK;
}
