#ifndef PSD_GEOMETRY_H
#define PSD_GEOMETRY_H

#include <SupportDefs.h>

// Canvas rectangles in integer pixels, y down, half-open.
struct PSDRect {
	int32 left, top, right, bottom;
};

#endif
