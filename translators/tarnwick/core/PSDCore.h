#ifndef PSD_CORE_H
#define PSD_CORE_H

#include <DataIO.h>
#include <SupportDefs.h>

// PSD colour modes, as the header's mode field holds them.
enum {
	PSD_MODE_BITMAP = 0,
	PSD_MODE_GRAYSCALE = 1,
	PSD_MODE_INDEXED = 2,
	PSD_MODE_RGB = 3,
	PSD_MODE_CMYK = 4,
	PSD_MODE_MULTICHANNEL = 7,
	PSD_MODE_DUOTONE = 8,
	PSD_MODE_LAB = 9,
};

// Colour channels a mode's pixels carry; 0 for modes of any number.
int psdCoreColourChannels(uint16 mode);

// B_OK, and isPSD set, when the stream's next six bytes are a PSD or PSB
// signature and version; B_NO_TRANSLATOR otherwise.
status_t psdCoreVerify(BPositionIO* in, bool* isPSD);

#endif
