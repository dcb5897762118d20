#ifndef PSD_POLYGON_CLIP_H
#define PSD_POLYGON_CLIP_H

#include <layers/PSDVectorPath.h>

#include <vector>

struct PSDClipBox {
	double left, top, right, bottom;
};

// Clips a closed polygon to the box for an even-odd fill: every point inside
// the box keeps the parity of its winding, and what lies outside is folded
// onto the box's sides. Runs along the sides are then cut to how far they go
// round the box, modulo twice round (which changes no parity), so that a path
// wandering far outside leaves a few edges rather than one per knot.
void psdClipPolygon(std::vector<PSDOutlinePoint>& polygon, const PSDClipBox& box);

#endif
