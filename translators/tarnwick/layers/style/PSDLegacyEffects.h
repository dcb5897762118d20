#ifndef PSD_LEGACY_EFFECTS_H
#define PSD_LEGACY_EFFECTS_H

// The binary effects block of Photoshop 5 to 7 ('lrFX'): drop and inner
// shadows, outer and inner glows, bevel and emboss and (from Photoshop 7) a
// colour overlay. Later versions write it beside the descriptor form, which
// then wins; files from older versions, and from programs that write only
// this block, carry nothing else.

#include "PSDLayerStyle.h"

// Fills `settings` from the layer's 'lrFX' block, as psdReadLayerStyle does
// from a descriptor. False when the layer has none that can be read.
bool psdReadLegacyEffects(const PSDModelContext& context, const PSDLayer& layer,
                          PSDLayerStyleSettings* settings);

#endif
