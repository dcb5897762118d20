#ifndef PSD_DESCRIPTOR_COLOR_H
#define PSD_DESCRIPTOR_COLOR_H

#include <SupportDefs.h>

class PSDDescriptor;

// A 'Clr ' descriptor (RGBC, HSBC, CMYC, Grsc, LbCl, or a book colour that
// carries one of these) as the stored channel values of a document of the given
// colour mode, each in [0, 1], converted between models as
// psdColourStoredValues (PSDColourFormulas.h) does. Returns the number of
// values written, 0 when the mode has no conversion or the descriptor holds no
// colour.
int psdDescriptorColor(const PSDDescriptor& color, uint16 mode, float* stored);

#endif
