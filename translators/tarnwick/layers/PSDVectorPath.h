#ifndef PSD_VECTOR_PATH_H
#define PSD_VECTOR_PATH_H

// The path of a vector mask or a shape ('vmsk', 'vsms'), read and flattened
// once into polygons in document pixels: rendering fills and strokes them as
// often as it needs, at any scale, without going back to the curves.

#include "PSDGeometry.h"

#include <SupportDefs.h>

#include <cstddef>
#include <vector>

// How a shape meets the area built so far. Each shape begins at a subpath
// carrying one of these; kPSDPathSameShape marks the further subpaths of the
// same shape (the letters of a custom shape, its holes).
enum PSDPathOperation {
	kPSDPathSameShape = -1,
	kPSDPathExclude = 0,
	kPSDPathCombine = 1,
	kPSDPathSubtract = 2,
	kPSDPathIntersect = 3,
};

struct PSDOutlinePoint {
	double x, y;
};

// A subpath's polygon: points [first, first + count) of the path's. Open
// subpaths close with a straight line, as a fill closes them.
struct PSDOutline {
	int32 operation; // PSDPathOperation
	bool closed;
	uint32 first;
	uint32 count;
};

struct PSDVectorPath {
	bool inverted = false;
	bool disabled = false;
	bool startsFilled = false;             // the initial fill record asks for all pixels
	                                       // (what an empty path shows)
	uint32 knots = 0;                      // read, all subpaths together
	PSDRect anchorBox = {0, 0, 0, 0};      // the pixels the anchor points span
	PSDBounds anchorBounds = {0, 0, 0, 0}; // where they lie, unrounded
	double rows = 0; // crossed by its edges, all together: what filling it costs
	std::vector<PSDOutline> outlines;
	std::vector<PSDOutlinePoint> points; // document pixels
};

// Curves are flattened to within this many pixels, well under one level of
// 8-bit coverage along an edge.
const double kPSDPathFlatness = 0.02;

// Reads the block's data (after its length) for a document of this size and
// flattens it. Records past the last whole one and records of unknown kinds
// are ignored; a subpath ends early where its knots do. Curves far outside
// the document are taken as their chords. B_NOT_SUPPORTED for another
// version, B_ILLEGAL_DATA when not even the header is there, B_NO_MEMORY
// when the path holds more than maxKnots knots or flattens to more than
// maxPoints points.
status_t psdReadVectorPath(const uint8* data, size_t length, int32 documentWidth,
                           int32 documentHeight, uint32 maxKnots, size_t maxPoints,
                           PSDVectorPath* path);

#endif
