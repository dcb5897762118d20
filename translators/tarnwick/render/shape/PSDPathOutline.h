#ifndef PSD_PATH_OUTLINE_H
#define PSD_PATH_OUTLINE_H

#include "PSDPolygonClip.h"
#include "PSDVectorMask.h"

#include <vector>

// Where stored points land: pixel = fraction * scale - origin, per axis.
struct PSDOutlinePlacement {
	double scaleX, scaleY;
	double originX, originY;
};

// Appends the polygon of one subpath, its curves flattened, to points; false
// (and nothing appended) when it would take more than limit points. Only what falls inside the box
// from (0, 0) to (width, height) keeps its shape: the polygon is clipped to a margin around the
// box, so that fills inside the box are exact while every coordinate stays small, however far the
// knots lie. An open subpath closes with a straight line, as a fill closes it.
bool psdPathOutline(const PSDPathKnot* knots, uint32 count, bool closed,
                    const PSDOutlinePlacement& placement, double width, double height, size_t limit,
                    std::vector<PSDOutlinePoint>& points);

#endif
