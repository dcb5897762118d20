#include "PSDLayerEffects.h"

std::unique_ptr<PSDLayerEffects> psdReadLayerEffects(BPositionIO*, const PSDRenderTarget&,
	const PSDLayer&)
{
	return nullptr;
}
