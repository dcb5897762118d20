#ifndef PSD_ADJUSTMENT_H
#define PSD_ADJUSTMENT_H

// Adjustment layers: a colour transform of what lies below them, in the
// document's colour mode, applied through the layer's masks, opacity and
// blend mode.

#include <render/compose/PSDLayerPainter.h>

#include <memory>

class PSDAdjustment {
public:
	virtual ~PSDAdjustment() {}
	// Transforms count pixels of stored channel values in place: one plane
	// per colour channel of the document's mode.
	virtual void Apply(float* const colour[], uint32 count) const = 0;
};

// The layer's adjustment, or null when it holds none that is read here.
std::unique_ptr<PSDAdjustment> psdReadAdjustment(BPositionIO* in, const PSDRenderTarget& target,
                                                 const PSDLayer& layer);

#endif
