#ifndef PSD_PAINT_READING_H
#define PSD_PAINT_READING_H

// What the settings readers of this folder share: a layer's descriptor
// blocks, and the colours, gradients and patterns inside descriptors.

#include "PSDPaintSettings.h"

#include <layers/PSDDescriptor.h>

struct PSDModelContext;
class PSDPatternTable;

// The descriptor of a layer's block, found `skip` bytes into it after the
// descriptor version; false where the block is missing, too large or broken.
bool psdReadDescriptorBlock(const PSDModelContext& context, const PSDLayer& layer, uint32 key,
                            size_t skip, PSDDescriptor* descriptor);

// A 'Clr ' descriptor as stored values; black (all 0) where it is missing
// or holds no colour for the mode.
PSDColour psdReadColour(const PSDDescriptor* colour, uint16 mode);

// A gradient's stops and smoothness from its 'Grad' descriptor (custom
// stops only); false for noise gradients, gradients without colour stops and
// modes without colours.
bool psdReadGradientStops(const PSDDescriptor& grad, uint16 mode, PSDGradientSettings* gradient);

// The gradient of a fill's or an effect's descriptor: its 'Grad' stops and
// its geometry keys. False for what cannot be drawn: noise gradients,
// gradients without colour stops, unknown shapes, modes without colours.
bool psdReadGradient(const PSDDescriptor& owner, uint16 mode, PSDGradientSettings* gradient);

// The pattern a fill or an effect refers to ('Ptrn'), with its scale and
// phase; false when the document does not hold it.
bool psdReadPatternPaint(const PSDDescriptor& owner, PSDPatternTable& patterns,
                         PSDPatternSettings* pattern);

#endif
