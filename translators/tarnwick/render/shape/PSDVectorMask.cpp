#include "PSDVectorMask.h"

#include "PSDPolygonClip.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace {

// Cairo's surfaces stop at 32767 pixels a side; smaller tiles also keep the
// scratch surface small beside the caller's buffer.
const int32 kTileSize = 4096;
// Bounds on a tile's work: a path may be flattened to this many points, and
// its fills may cost this many times the tile's pixels (edges crossing rows
// and areas covered), however many shapes a block packs. A real mask uses a
// small part of either.
const uint64 kPointsPerTile = 1 << 20;
const uint64 kFillsPerTile = 64;
const uint64 kLeastFillBudget = 1 << 20;
const int64 kLargestSide = 1 << 30;
// Clipped edges run this far outside a tile, off the pixels that count.
const double kFillMargin = 2.0;

cairo_operator_t operatorFor(int32 operation)
{
	switch (operation) {
	case kPSDPathExclude:
		return CAIRO_OPERATOR_XOR;
	case kPSDPathSubtract:
		return CAIRO_OPERATOR_DEST_OUT;
	case kPSDPathIntersect:
		return CAIRO_OPERATOR_IN;
	default:
		return CAIRO_OPERATOR_OVER;
	}
}

// One shape: its first subpath and the ones after it that continue it.
size_t shapeEnd(const PSDVectorPath& path, size_t first)
{
	size_t end = first + 1;
	while (end < path.outlines.size() && path.outlines[end].operation == kPSDPathSameShape)
		end++;
	return end;
}

// What one tile may cost, whatever the path claims: flattened points, and
// pixels that fills may touch.
struct WorkBudget {
	uint64 points;
	uint64 pixels;
};

// Where the path's points land in a tile: pixel = point * scale - origin.
struct Placement {
	double scale;
	double originX, originY;
};

// Adds the shape's subpaths to the cairo path, each clipped to the tile and
// a margin around it; false when the budget would not cover them. cost is
// what filling them will take, in pixels: the rows that each edge crosses
// and the area the shape spans.
bool appendShape(cairo_t* cairo, const PSDVectorPath& path, size_t first, size_t end,
                 const Placement& placement, int32 width, int32 height, double margin,
                 WorkBudget& budget, uint64& cost, std::vector<PSDOutlinePoint>& points)
{
	double left = width, top = height, right = 0, bottom = 0, rows = 0;
	const PSDClipBox box = {-margin, -margin, width + margin, height + margin};
	for (size_t i = first; i < end; i++) {
		const PSDOutline& outline = path.outlines[i];
		if (outline.count > budget.points)
			return false;
		budget.points -= outline.count;
		const PSDOutlinePoint* from = path.points.data() + outline.first;
		points.resize(outline.count);
		for (uint32 k = 0; k < outline.count; k++) {
			points[k] = {from[k].x * placement.scale - placement.originX,
			             from[k].y * placement.scale - placement.originY};
		}
		psdClipPolygon(points, box);
		if (points.size() < 3)
			continue;
		const PSDOutlinePoint* previous = &points.back();
		cairo_move_to(cairo, previous->x, previous->y);
		for (const PSDOutlinePoint& point : points) {
			cairo_line_to(cairo, point.x, point.y);
			rows += std::abs(point.y - previous->y);
			previous = &point;
			left = std::min(left, point.x);
			top = std::min(top, point.y);
			right = std::max(right, point.x);
			bottom = std::max(bottom, point.y);
		}
		cairo_close_path(cairo);
	}
	double spanX = std::min(right, double(width)) - std::max(left, 0.0) + 2;
	double spanY = std::min(bottom, double(height)) - std::max(top, 0.0) + 2;
	cost = uint64(rows) + (spanX > 0 && spanY > 0 ? uint64(spanX * spanY) : 0);
	return true;
}

// A tile's coverage drawn by cairo, whose surface and context go with it.
class Tile {
public:
	Tile(int32 width, int32 height)
	    : fWidth(width), fHeight(height),
	      fSurface(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height)),
	      fCairo(cairo_create(fSurface))
	{
		cairo_set_source_rgba(fCairo, 0, 0, 0, 1);
	}
	~Tile()
	{
		cairo_destroy(fCairo);
		cairo_surface_destroy(fSurface);
	}

	bool Ready() const { return cairo_status(fCairo) == CAIRO_STATUS_SUCCESS; }
	cairo_t* Cairo() const { return fCairo; }

	// The coverage drawn, or its complement, into rows stride bytes apart.
	void CopyTo(uint8* coverage, size_t stride, bool inverted) const
	{
		cairo_surface_flush(fSurface);
		const uint8* pixels = cairo_image_surface_get_data(fSurface);
		const int surfaceStride = cairo_image_surface_get_stride(fSurface);
		for (int32 y = 0; y < fHeight; y++) {
			const uint8* source = pixels + size_t(y) * surfaceStride;
			uint8* row = coverage + y * stride;
			if (inverted) {
				for (int32 x = 0; x < fWidth; x++)
					row[x] = 255 - source[x];
			} else {
				memcpy(row, source, fWidth);
			}
		}
	}

private:
	Tile(const Tile&) = delete;
	Tile& operator=(const Tile&) = delete;

	int32 fWidth, fHeight;
	cairo_surface_t* fSurface;
	cairo_t* fCairo;
};

WorkBudget tileBudget(uint64 tileArea)
{
	return {kPointsPerTile, std::max(kLeastFillBudget, kFillsPerTile * tileArea)};
}

// Appends each shape of the path in turn to cairo's path; shapeDone (the
// shape's first outline, what drawing it costs) says whether to go on.
template <typename ShapeDone>
bool appendShapes(cairo_t* cairo, const PSDVectorPath& mask, const Placement& placement,
                  int32 width, int32 height, WorkBudget& budget, ShapeDone shapeDone)
{
	std::vector<PSDOutlinePoint> points;
	for (size_t first = 0; first < mask.outlines.size();) {
		const size_t end = shapeEnd(mask, first);
		uint64 cost;
		if (!appendShape(cairo, mask, first, end, placement, width, height, kFillMargin, budget,
		                 cost, points) ||
		    !shapeDone(first, cost))
			return false;
		first = end;
	}
	return true;
}

status_t renderTile(const PSDVectorPath& mask, const Placement& placement, int32 width,
                    int32 height, uint8* coverage, size_t stride)
{
	Tile tile(width, height);
	if (!tile.Ready())
		return B_NO_MEMORY;
	cairo_t* cairo = tile.Cairo();
	// The initial fill record speaks only for an empty path: otherwise
	// Photoshop starts from everything when the first shape subtracts and
	// shows any other first shape as itself, whatever the record says.
	int32 firstOperation = mask.outlines.empty() ? kPSDPathCombine : mask.outlines[0].operation;
	if (mask.outlines.empty() ? mask.startsFilled : firstOperation == kPSDPathSubtract)
		cairo_paint(cairo);

	const uint64 tileArea = uint64(width) * height;
	WorkBudget budget = tileBudget(tileArea);
	const bool drawn =
	    appendShapes(cairo, mask, placement, width, height, budget, [&](size_t first, uint64 cost) {
		    int32 operation = mask.outlines[first].operation;
		    if (first == 0 && operation != kPSDPathSubtract)
			    operation = kPSDPathCombine;
		    // An intersection clears all that lies outside the shape.
		    if (operation == kPSDPathIntersect)
			    cost += tileArea;
		    if (cost > budget.pixels)
			    return false;
		    budget.pixels -= cost;
		    cairo_set_operator(cairo, operatorFor(operation));
		    cairo_set_fill_rule(cairo, CAIRO_FILL_RULE_EVEN_ODD);
		    cairo_fill(cairo);
		    return true;
	    });
	if (!drawn)
		return B_NO_MEMORY;
	tile.CopyTo(coverage, stride, mask.inverted);
	return B_OK;
}

// The outline of every shape, stroked a line width wide: what a shape
// layer's stroke covers before its alignment takes the inside or outside.
status_t strokeTile(const PSDVectorPath& mask, const Placement& placement, int32 width,
                    int32 height, double lineWidth, uint8* coverage, size_t stride)
{
	Tile tile(width, height);
	if (!tile.Ready())
		return B_NO_MEMORY;
	cairo_t* cairo = tile.Cairo();
	WorkBudget budget = tileBudget(uint64(width) * height);
	if (!appendShapes(cairo, mask, placement, width, height, budget,
	                  [](size_t, uint64) { return true; }))
		return B_NO_MEMORY;
	cairo_set_line_width(cairo, lineWidth);
	cairo_set_line_join(cairo, CAIRO_LINE_JOIN_MITER);
	cairo_stroke(cairo);
	tile.CopyTo(coverage, stride, false);
	return B_OK;
}

// Tiles step in int32; no canvas comes near the largest side.
bool fitsCoverage(const PSDRect& rect, const uint8* coverage, size_t stride)
{
	const int64 width = int64(rect.right) - rect.left;
	const int64 height = int64(rect.bottom) - rect.top;
	return coverage != nullptr && stride >= uint64(width) && width <= kLargestSide &&
	       height <= kLargestSide;
}

} // namespace

status_t psdVectorMaskCoverage(const PSDVectorPath& mask, const PSDRect& rect, uint8* coverage,
                               size_t stride, double scale)
{
	if (!(scale > 0 && scale <= 1))
		return B_BAD_VALUE;
	if (isEmpty(rect))
		return B_OK;
	if (!fitsCoverage(rect, coverage, stride))
		return B_BAD_VALUE;
	const int64 width = int64(rect.right) - rect.left;
	if (mask.disabled) {
		for (int32 y = rect.top; y < rect.bottom; y++)
			memset(coverage + size_t(y - rect.top) * stride, 255, width);
		return B_OK;
	}

	for (int32 top = rect.top; top < rect.bottom; top += std::min(kTileSize, rect.bottom - top)) {
		int32 height = std::min(kTileSize, rect.bottom - top);
		for (int32 left = rect.left; left < rect.right;
		     left += std::min(kTileSize, rect.right - left)) {
			int32 tileWidth = std::min(kTileSize, rect.right - left);
			const Placement placement = {scale, double(left), double(top)};
			uint8* tile = coverage + size_t(top - rect.top) * stride + (left - rect.left);
			status_t status = renderTile(mask, placement, tileWidth, height, tile, stride);
			if (status != B_OK)
				return status;
		}
	}
	return B_OK;
}

status_t psdVectorMaskStrokeCoverage(const PSDVectorPath& mask, const PSDRect& rect,
                                     double lineWidth, PSDStrokeAlignment alignment,
                                     uint8* coverage, size_t stride, double scale)
{
	if (!(lineWidth > 0 && lineWidth < 1e6) || !(scale > 0 && scale <= 1))
		return B_BAD_VALUE;
	if (isEmpty(rect))
		return B_OK;
	if (!fitsCoverage(rect, coverage, stride))
		return B_BAD_VALUE;
	// Inside and outside strokes are twice as wide on the outline, half of
	// them kept: where the shape is, or where it is not.
	const double drawn = (alignment == kPSDStrokeCentre ? lineWidth : 2 * lineWidth) * scale;
	std::vector<uint8> shape;
	for (int32 top = rect.top; top < rect.bottom; top += std::min(kTileSize, rect.bottom - top)) {
		int32 tileHeight = std::min(kTileSize, rect.bottom - top);
		for (int32 left = rect.left; left < rect.right;
		     left += std::min(kTileSize, rect.right - left)) {
			int32 tileWidth = std::min(kTileSize, rect.right - left);
			const Placement placement = {scale, double(left), double(top)};
			uint8* tile = coverage + size_t(top - rect.top) * stride + (left - rect.left);
			status_t status =
			    strokeTile(mask, placement, tileWidth, tileHeight, drawn, tile, stride);
			if (status != B_OK)
				return status;
			if (alignment == kPSDStrokeCentre)
				continue;
			shape.resize(size_t(tileWidth) * tileHeight);
			status = renderTile(mask, placement, tileWidth, tileHeight, shape.data(), tileWidth);
			if (status != B_OK)
				return status;
			for (int32 y = 0; y < tileHeight; y++) {
				uint8* row = tile + y * stride;
				const uint8* inside = shape.data() + size_t(y) * tileWidth;
				for (int32 x = 0; x < tileWidth; x++) {
					uint32 keep = alignment == kPSDStrokeInside ? inside[x] : 255 - inside[x];
					row[x] = uint8((row[x] * keep + 127) / 255);
				}
			}
		}
	}
	return B_OK;
}
