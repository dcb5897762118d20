#include "PSDPathOutline.h"

#include <algorithm>
#include <cmath>

namespace {

// How far a flattened curve may stray, in pixels: well under one level of
// 8-bit coverage along an edge.
const double kFlatness = 0.02;
// Halvings of one curve; past them a piece is tiny or far outside the box.
const int kMaxDepth = 40;
// Clipped edges run this far outside the box, off the pixels that count.
const double kMargin = 2.0;

typedef PSDOutlinePoint Point;

struct Cubic {
	Point p[4];
};

Point place(const PSDPathPoint& point, const PSDOutlinePlacement& placement)
{
	const double unit = 1.0 / 16777216.0;
	return {point.x * unit * placement.scaleX - placement.originX,
	        point.y * unit * placement.scaleY - placement.originY};
}

// A curve lies in the hull of its control points; wholly outside the box,
// its chord fills the box just as it does.
bool outsideBox(const Cubic& c, const PSDClipBox& box)
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

// The chord strays at most 3/4 of the larger second difference.
bool flatEnough(const Cubic& c)
{
	double ax = c.p[0].x - 2 * c.p[1].x + c.p[2].x, ay = c.p[0].y - 2 * c.p[1].y + c.p[2].y;
	double bx = c.p[1].x - 2 * c.p[2].x + c.p[3].x, by = c.p[1].y - 2 * c.p[2].y + c.p[3].y;
	double limit = kFlatness / 0.75;
	return std::max(ax * ax + ay * ay, bx * bx + by * by) <= limit * limit;
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

// Appends the curve's points after its start; false once points holds more
// than limit.
bool flatten(const Cubic& curve, const PSDClipBox& box, size_t limit, std::vector<Point>& points)
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

} // namespace

bool psdPathOutline(const PSDPathKnot* knots, uint32 count, bool closed,
                    const PSDOutlinePlacement& placement, double width, double height, size_t limit,
                    std::vector<PSDOutlinePoint>& points)
{
	if (count == 0)
		return true;
	PSDClipBox box = {-kMargin, -kMargin, width + kMargin, height + kMargin};
	std::vector<Point> polygon;
	polygon.push_back(place(knots[0].anchor, placement));
	uint32 segments = closed ? count : count - 1;
	for (uint32 i = 0; i < segments; i++) {
		const PSDPathKnot& from = knots[i];
		const PSDPathKnot& to = knots[(i + 1) % count];
		Cubic curve = {{polygon.back(), place(from.leaving, placement),
		                place(to.preceding, placement), place(to.anchor, placement)}};
		if (!flatten(curve, box, limit, polygon))
			return false;
	}

	psdClipPolygon(polygon, box);
	if (polygon.size() > limit)
		return false;
	points.insert(points.end(), polygon.begin(), polygon.end());
	return true;
}
