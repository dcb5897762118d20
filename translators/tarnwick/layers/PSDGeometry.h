#ifndef PSD_GEOMETRY_H
#define PSD_GEOMETRY_H

#include <SupportDefs.h>

// Canvas pixels, half-open: right and bottom lie just outside.
struct PSDRect {
	int32 left, top, right, bottom;
};

#endif
