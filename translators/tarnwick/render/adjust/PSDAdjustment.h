#ifndef PSD_ADJUSTMENT_H
#define PSD_ADJUSTMENT_H

// Adjustment layers: a colour transform of what lies below them, in the
// document's colour mode, applied through the layer's masks, opacity and
// blend mode.

#include <render/PSDRenderSource.h>
#include <render/PSDRenderTarget.h>

#include <memory>

struct PSDAdjustmentSettings;

class PSDAdjustment {
public:
	virtual ~PSDAdjustment() {}
	// Transforms count pixels of stored channel values in place: one plane
	// per colour channel of the document's mode.
	virtual void Apply(float* const colour[], uint32 count) const = 0;
};

// The transform of the settings for the document, or null when they do not
// apply to its colour mode or change nothing. A colour lookup reads its
// table through the source.
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDAdjustmentSettings& settings,
                                                 const PSDRenderTarget& target,
                                                 PSDRenderSource& source);

#endif
