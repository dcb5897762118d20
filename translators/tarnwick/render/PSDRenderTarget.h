#ifndef PSD_RENDER_TARGET_H
#define PSD_RENDER_TARGET_H

// The canvas the layers are rendered onto: the document's colour mode and
// depth, at its own size or, for a reduced reading that the full size would
// cost too much for, scaled down.

#include <layers/PSDGeometry.h>

#include <SupportDefs.h>

struct PSDRenderTarget {
	int32 width; // canvas pixels: the document's size times scale, rounded
	int32 height;
	int colours; // channels of the document's colour mode that are rendered
	uint16 mode;
	uint16 depth;
	// Canvas pixels per document pixel: sizes, distances and positions the
	// file gives in document pixels are multiplied by it.
	double scale = 1;

	// The canvas pixel a document pixel's centre falls in, along either axis.
	int32 Cell(int32 document) const;
	// The first document pixel whose centre falls in a canvas pixel.
	int32 FirstIn(int32 cell) const;
	// The canvas pixels a document rectangle's pixels fall in, and the
	// document pixels that fall in a canvas rectangle.
	PSDRect Canvas(const PSDRect& document) const;
	PSDRect Document(const PSDRect& canvas) const;
};

#endif
