#ifndef PSD_DESCRIPTOR_COLOR_H
#define PSD_DESCRIPTOR_COLOR_H

#include <SupportDefs.h>

class PSDDescriptor;

// A 'Clr ' descriptor (RGBC, HSBC, CMYC, Grsc, LbCl, or a book colour that
// carries one of these) as the stored channel values of a document of the given
// colour mode, each in [0, 1]: RGB 3 values, grayscale 1 (1 = white), CMYK 4
// (inverted ink, 1 = no ink). Returns the number of values written, 0 when the
// mode has no conversion here or the descriptor holds no colour.
//
// Between models the conversions are the plain textbook ones, without
// profiles: CMYK to RGB by (1 - C)(1 - K); RGB to CMYK with full black
// generation; RGB to gray by Rec. 601 luma; Lab (D50) through XYZ to sRGB; gray
// to CMYK as black ink only.
int psdDescriptorColor(const PSDDescriptor& color, uint16 mode, float* stored);

#endif
