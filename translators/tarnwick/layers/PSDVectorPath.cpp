#include "PSDVectorPath.h"

#include <core/PSDBytes.h>

#include <algorithm>
#include <cmath>

namespace {

const size_t kRecordSize = 26;
// Halvings of one curve; past them a piece is tiny or far away.
const int kMaxDepth = 40;
// Curves are followed this far around the document: feathers, effects and
// strokes see a little past its edges; farther out a chord fills the
// document's pixels just as the curve does.
const double kFollowedPastDocument = 4096;

enum {
	kClosedSubpath = 0,
	kClosedLinkedKnot = 1,
	kClosedUnlinkedKnot = 2,
	kOpenSubpath = 3,
	kOpenLinkedKnot = 4,
	kOpenUnlinkedKnot = 5,
	kInitialFillRecord = 8,
};

typedef PSDOutlinePoint Point;

// A point as stored: signed 8.24 fixed point fractions of the document's
// height (first) and width.
Point readPoint(const uint8* p, int32 width, int32 height)
{
	const double unit = 1.0 / 16777216.0;
	return {(int32)psdBig32(p + 4) * unit * width, (int32)psdBig32(p) * unit * height};
}

struct Knot {
	Point preceding, anchor, leaving;
};

struct Box {
	double left, top, right, bottom;
};

struct Cubic {
	Point p[4];
};

// A curve lies in the hull of its control points.
bool outsideBox(const Cubic& c, const Box& box)
{
	double minX = c.p[0].x, maxX = c.p[0].x, minY = c.p[0].y, maxY = c.p[0].y;
	for (int i = 1; i < 4; i++) {
		minX = std::min(minX, c.p[i].x);
		maxX = std::max(maxX, c.p[i].x);
		minY = std::min(minY, c.p[i].y);
		maxY = std::max(maxY, c.p[i].y);
	}
	return maxX < box.left || minX > box.right || maxY < box.top || minY > box.bottom;
}

// The curve lies in the hull of its control points, so it strays from its
// chord no further than they do: however they are spaced along it, a curve
// whose control points lie on its chord is flat.
bool flatEnough(const Cubic& c)
{
	const double dx = c.p[3].x - c.p[0].x, dy = c.p[3].y - c.p[0].y;
	const double length2 = dx * dx + dy * dy;
	double worst2 = 0;
	for (int i = 1; i <= 2; i++) {
		const double px = c.p[i].x - c.p[0].x, py = c.p[i].y - c.p[0].y;
		double off2;
		if (length2 > 0) {
			const double cross = px * dy - py * dx;
			off2 = cross * cross / length2;
		} else {
			off2 = px * px + py * py;
		}
		worst2 = std::max(worst2, off2);
	}
	return worst2 <= kPSDPathFlatness * kPSDPathFlatness;
}

Point midpoint(const Point& a, const Point& b)
{
	return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

void split(const Cubic& c, Cubic& first, Cubic& second)
{
	Point ab = midpoint(c.p[0], c.p[1]), bc = midpoint(c.p[1], c.p[2]);
	Point cd = midpoint(c.p[2], c.p[3]);
	Point abc = midpoint(ab, bc), bcd = midpoint(bc, cd), middle = midpoint(abc, bcd);
	first = {{c.p[0], ab, abc, middle}};
	second = {{middle, bcd, cd, c.p[3]}};
}

// Appends the curve's points after its start; false once points would hold
// more than limit.
bool flatten(const Cubic& curve, const Box& box, size_t limit, std::vector<Point>& points)
{
	Cubic stack[kMaxDepth + 1];
	int depth[kMaxDepth + 1];
	int top = 0;
	stack[0] = curve;
	depth[0] = 0;
	while (top >= 0) {
		Cubic c = stack[top];
		int level = depth[top--];
		if (level == kMaxDepth || outsideBox(c, box) || flatEnough(c)) {
			if (points.size() >= limit)
				return false;
			points.push_back(c.p[3]);
			continue;
		}
		split(c, stack[top + 2], stack[top + 1]);
		depth[top + 1] = depth[top + 2] = level + 1;
		top += 2;
	}
	return true;
}

bool flattenSubpath(const std::vector<Knot>& knots, bool closed, const Box& box, size_t limit,
                    std::vector<Point>& points)
{
	if (knots.empty())
		return true;
	if (points.size() >= limit)
		return false;
	points.push_back(knots[0].anchor);
	const size_t segments = closed ? knots.size() : knots.size() - 1;
	for (size_t i = 0; i < segments; i++) {
		const Knot& from = knots[i];
		const Knot& to = knots[(i + 1) % knots.size()];
		Cubic curve = {{points.back(), from.leaving, to.preceding, to.anchor}};
		if (!flatten(curve, box, limit, points))
			return false;
	}
	return true;
}

struct AnchorSpan {
	double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;

	void Add(const Point& p)
	{
		left = std::min(left, p.x);
		right = std::max(right, p.x);
		top = std::min(top, p.y);
		bottom = std::max(bottom, p.y);
	}

	// Anchors on whole pixels come out of the fixed point a hair off them.
	PSDRect Pixels() const
	{
		if (left > right)
			return {0, 0, 0, 0};
		const double limit = 1 << 30;
		auto pixel = [limit](double v) {
			return (int32)std::max(-limit, std::min(limit, std::round(v)));
		};
		return {pixel(left), pixel(top), pixel(right), pixel(bottom)};
	}
};

} // namespace

status_t psdReadVectorPath(const uint8* data, size_t length, int32 documentWidth,
                           int32 documentHeight, uint32 maxKnots, size_t maxPoints,
                           PSDVectorPath* path)
{
	*path = PSDVectorPath();
	if (data == nullptr || length < 8)
		return B_ILLEGAL_DATA;
	if (psdBig32(data) != 3)
		return B_NOT_SUPPORTED;
	const uint32 flags = psdBig32(data + 4);
	path->inverted = (flags & 1) != 0;
	path->disabled = (flags & 4) != 0;

	const Box box = {-kFollowedPastDocument, -kFollowedPastDocument,
	                 documentWidth + kFollowedPastDocument, documentHeight + kFollowedPastDocument};
	AnchorSpan anchors;
	std::vector<Knot> knots;
	PSDOutline outline = {kPSDPathCombine, true, 0, 0};
	bool open = false;
	uint32 expected = 0;
	auto close = [&]() -> bool {
		if (!open)
			return true;
		open = false;
		outline.first = (uint32)path->points.size();
		if (!flattenSubpath(knots, outline.closed, box, maxPoints, path->points))
			return false;
		outline.count = (uint32)(path->points.size() - outline.first);
		path->outlines.push_back(outline);
		// Far outside the document an edge costs no more than its part
		// across the rows that are followed.
		auto row = [&box](double y) { return std::min(box.bottom, std::max(box.top, y)); };
		for (uint32 k = 0; k < outline.count; k++) {
			const Point& from = path->points[outline.first + (k == 0 ? outline.count : k) - 1];
			path->rows += std::abs(row(path->points[outline.first + k].y) - row(from.y));
		}
		return true;
	};
	const size_t records = (length - 8) / kRecordSize;
	for (size_t i = 0; i < records; i++) {
		const uint8* record = data + 8 + i * kRecordSize;
		const uint16 kind = psdBig16(record);
		switch (kind) {
		case kClosedSubpath:
		case kOpenSubpath:
			if (!close())
				return B_NO_MEMORY;
			knots.clear();
			outline.operation = (int16)psdBig16(record + 4);
			outline.closed = kind == kClosedSubpath;
			expected = psdBig16(record + 2);
			open = true;
			break;
		case kClosedLinkedKnot:
		case kClosedUnlinkedKnot:
		case kOpenLinkedKnot:
		case kOpenUnlinkedKnot: {
			if (!open || knots.size() >= expected)
				break;
			if (++path->knots > maxKnots)
				return B_NO_MEMORY;
			const Knot knot = {readPoint(record + 2, documentWidth, documentHeight),
			                   readPoint(record + 10, documentWidth, documentHeight),
			                   readPoint(record + 18, documentWidth, documentHeight)};
			knots.push_back(knot);
			anchors.Add(knot.anchor);
			break;
		}
		case kInitialFillRecord:
			path->startsFilled = psdBig16(record + 2) != 0;
			break;
		default:
			break;
		}
	}
	if (!close())
		return B_NO_MEMORY;
	path->anchorBox = anchors.Pixels();
	if (!isEmpty(path->anchorBox))
		path->anchorBounds = {anchors.left, anchors.top, anchors.right, anchors.bottom};
	return B_OK;
}
