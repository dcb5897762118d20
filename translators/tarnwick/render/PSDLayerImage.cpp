#include "PSDLayerImage.h"

#include <render/compose/PSDCompositor.h>

#include <core/PSDCore.h>

#include <algorithm>

int psdRenderedColours(uint16 mode)
{
	if (mode == PSD_MODE_BITMAP || mode == PSD_MODE_INDEXED)
		return 0;
	return psdCoreColourChannels(mode);
}

status_t psdRenderModel(PSDCompositor& compositor, const PSDRenderTarget& target,
                        PSDColourRows& rows, int32 firstRow, int32 endRow)
{
	PSDBand band;
	const int32 bandRows = PSDCompositor::BandRows(target);
	if (band.Allocate(target.colours, target.width, bandRows) != B_OK)
		return B_NO_MEMORY;
	for (int32 top = firstRow / bandRows * bandRows; top < endRow; top += bandRows) {
		band.SetTop(top);
		const status_t status = compositor.Render(band);
		if (status != B_OK)
			return status;
		const int32 bottom = std::min(endRow, top + bandRows);
		for (int32 y = std::max(top, firstRow); y < bottom; y++) {
			const float* planes[5];
			for (int p = 0; p <= band.Colours(); p++)
				planes[p] = band.Row(p, y);
			rows.Row(y, planes);
		}
	}
	return B_OK;
}
