#ifndef PSD_PATH_OUTLINE_H
#define PSD_PATH_OUTLINE_H

#include "PSDVectorMask.h"

#include <vector>

struct PSDOutlinePoint {
	double x, y;
};

// Where stored points land: pixel = fraction * scale - origin, per axis.
struct PSDOutlinePlacement {
	double scaleX, scaleY;
	double originX, originY;
};

// Appends the polygon of one subpath, its curves flattened, to points and
// returns how many points it took. Only what falls inside the box from
// (0, 0) to (width, height) keeps its shape: the polygon is clipped to a
// margin around the box, so that fills inside the box are exact while every
// coordinate stays small, however far the knots lie. An open subpath closes
// with a straight line, as a fill closes it.
size_t psdPathOutline(const PSDPathKnot* knots, uint32 count, bool closed,
                      const PSDOutlinePlacement& placement, double width, double height,
                      std::vector<PSDOutlinePoint>& points);

#endif
