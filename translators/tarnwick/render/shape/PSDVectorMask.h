#ifndef PSD_VECTOR_MASK_H
#define PSD_VECTOR_MASK_H

#include <layers/PSDGeometry.h>

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

// A point as stored: signed 8.24 fixed point fractions of the document's
// width (x) and height (y).
struct PSDPathPoint {
	int32 x, y;
};

struct PSDPathKnot {
	PSDPathPoint preceding, anchor, leaving;
};

struct PSDSubpath {
	int32 operation; // PSDPathOperation
	bool closed;
	uint32 firstKnot;
	uint32 knotCount;
};

// The path of a 'vmsk' or 'vsms' block.
struct PSDVectorMask {
	bool inverted = false;
	bool notLinked = false;
	bool disabled = false;
	bool startsFilled = false; // the initial fill rule record asks for all pixels
	                           // (what an empty path shows)
	std::vector<PSDPathKnot> knots;
	std::vector<PSDSubpath> subpaths;
};

// Reads the block's data (after its length). Records past the last whole one
// and records of unknown kinds are ignored; a subpath ends early where its
// knots do. B_NOT_SUPPORTED for another version, B_ILLEGAL_DATA when not
// even the header is there.
status_t psdVectorMaskRead(const uint8* data, size_t length, PSDVectorMask& mask);

// Coverage of the canvas pixels in rect, 0 (outside) to 255 (inside), written
// row by row at coverage + y * stride. The mask as Photoshop applies it: the
// operations of the shapes (the first shape drawn on nothing, or taken from
// everything when it subtracts), the initial fill for an empty path, the
// inverted flag, a disabled mask covering all.
// With a scale below 1, rect counts pixels of the canvas shrunk by it (wide
// feathering needs no finer detail). Work is bounded by the rectangle and the
// knots, never by the document; B_NO_MEMORY when a path would cost far more
// than any real mask (millions of points or fills over one tile).
status_t psdVectorMaskCoverage(const PSDVectorMask& mask, int32 documentWidth, int32 documentHeight,
                               const PSDRect& rect, uint8* coverage, size_t stride,
                               double scale = 1.0);

// Where a shape layer's stroke lies along its outline.
enum PSDStrokeAlignment {
	kPSDStrokeInside,
	kPSDStrokeCentre,
	kPSDStrokeOutside,
};

// Coverage of the stroke of lineWidth pixels along the path's outlines, for
// the canvas pixels of rect, written as psdVectorMaskCoverage writes.
status_t psdVectorMaskStrokeCoverage(const PSDVectorMask& mask, int32 documentWidth,
                                     int32 documentHeight, const PSDRect& rect, double lineWidth,
                                     PSDStrokeAlignment alignment, uint8* coverage, size_t stride);

#endif
