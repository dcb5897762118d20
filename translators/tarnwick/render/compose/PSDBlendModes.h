#ifndef PSD_BLEND_MODES_H
#define PSD_BLEND_MODES_H

// Photoshop's blend modes on stored channel values in [0, 1], not
// premultiplied. CMYK documents blend their stored (inverted ink) values the
// same way, so multiply darkens in every mode.

#include <layers/PSDBlendMode.h>

// The blend result B(backdrop, source) of count pixels, for `colours`
// channels: result[c][i] from backdrop[c][i] and source[c][i]. A pass-through
// blends as normal.
void psdBlendColours(PSDBlendMode mode, int colours, const float* const backdrop[],
                     const float* const source[], float* const result[], uint32 count);

// Composites count source pixels over the backdrop in place, with the
// source's alpha already holding every factor (opacity, masks):
//   Ar = As + Ab (1 - As)
//   Cr = ((1 - As) Ab Cb + (1 - Ab) As Cs + As Ab B(Cb, Cs)) / Ar
// `scratch` holds colours x count floats. Dissolve's alpha is decided per
// pixel from its canvas position (x, y) onward, deterministically.
void psdComposite(PSDBlendMode mode, int colours, float* const backdrop[], float* backdropAlpha,
                  const float* const source[], const float* sourceAlpha, uint32 count,
                  float* scratch, int32 x, int32 y);

#endif
