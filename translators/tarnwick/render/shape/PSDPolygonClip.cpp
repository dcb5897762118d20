#include "PSDPolygonClip.h"

#include <cmath>

namespace {

typedef PSDOutlinePoint Point;

// One pass of clipping against the half-plane where
// sign * (coordinate - bound) >= 0; winding inside it is kept.
void clipHalfPlane(const std::vector<Point>& in, std::vector<Point>& out, bool onX, double bound,
                   double sign)
{
	out.clear();
	if (in.empty())
		return;
	auto side = [&](const Point& p) { return sign * ((onX ? p.x : p.y) - bound); };
	Point previous = in.back();
	double previousSide = side(previous);
	for (const Point& point : in) {
		double pointSide = side(point);
		if ((pointSide >= 0) != (previousSide >= 0)) {
			double t = previousSide / (previousSide - pointSide);
			Point cross = {previous.x + t * (point.x - previous.x),
			               previous.y + t * (point.y - previous.y)};
			if (onX)
				cross.x = bound;
			else
				cross.y = bound;
			out.push_back(cross);
		}
		if (pointSide >= 0)
			out.push_back(point);
		previous = point;
		previousSide = pointSide;
	}
}

// Positions along the box's sides, clockwise from the top left corner.
class Perimeter {
public:
	explicit Perimeter(const PSDClipBox& box)
	    : fBox(box), fWidth(box.right - box.left), fHeight(box.bottom - box.top),
	      fLength(2 * (fWidth + fHeight))
	{
	}

	double Length() const { return fLength; }

	unsigned Sides(const Point& p) const
	{
		return (p.y == fBox.top) | (p.x == fBox.right) << 1 | (p.y == fBox.bottom) << 2 |
		       (p.x == fBox.left) << 3;
	}

	double At(const Point& p) const
	{
		if (p.y == fBox.top)
			return p.x - fBox.left;
		if (p.x == fBox.right)
			return fWidth + p.y - fBox.top;
		if (p.y == fBox.bottom)
			return fWidth + fHeight + fBox.right - p.x;
		return 2 * fWidth + fHeight + fBox.bottom - p.y;
	}

	// From p to q on a common side: never as far as half round.
	double Step(const Point& p, const Point& q) const
	{
		double step = At(q) - At(p);
		return step - fLength * std::round(step / fLength);
	}

	// The corners passed going distance (at most once round) from position.
	void AppendCorners(double position, double distance, std::vector<Point>& out) const
	{
		const double corners[4] = {0, fWidth, fWidth + fHeight, 2 * fWidth + fHeight};
		const Point points[4] = {{fBox.left, fBox.top},
		                         {fBox.right, fBox.top},
		                         {fBox.right, fBox.bottom},
		                         {fBox.left, fBox.bottom}};
		double direction = distance >= 0 ? 1 : -1;
		double laps = std::floor(position / fLength);
		// Every corner position within reach, in the direction of travel.
		for (int k = direction > 0 ? 0 : 11; k >= 0 && k < 12; k += int(direction)) {
			double at = corners[k % 4] + (laps + k / 4 - 1) * fLength;
			double ahead = (at - position) * direction;
			if (ahead > 0 && ahead < std::abs(distance))
				out.push_back(points[k % 4]);
		}
	}

private:
	PSDClipBox fBox;
	double fWidth, fHeight, fLength;
};

void shortenSideRuns(std::vector<Point>& polygon, const Perimeter& perimeter)
{
	size_t count = polygon.size();
	if (count < 3)
		return;
	auto alongSide = [&](size_t i) {
		return (perimeter.Sides(polygon[i]) & perimeter.Sides(polygon[(i + 1) % count])) != 0;
	};
	double twice = 2 * perimeter.Length();

	size_t start = count;
	for (size_t i = 0; i < count && start == count; i++) {
		if (!alongSide(i))
			start = (i + 1) % count;
	}
	if (start == count) {
		// Nothing but sides: all points inside are wound the same, odd times
		// or even.
		double distance = 0;
		for (size_t i = 0; i < count; i++)
			distance += perimeter.Step(polygon[i], polygon[(i + 1) % count]);
		long laps = std::lround(distance / perimeter.Length());
		Point first = polygon[0];
		polygon.clear();
		if (laps % 2 != 0) {
			polygon.push_back(first);
			perimeter.AppendCorners(perimeter.At(first), laps > 0 ? twice / 2 : -twice / 2,
			                        polygon);
		}
		return;
	}

	// From start on, the last edge leaves the sides, so no run wraps round.
	auto point = [&](size_t k) { return polygon[(start + k) % count]; };
	auto runs = [&](size_t k) { return alongSide((start + k) % count); };
	std::vector<Point> out;
	for (size_t k = 0; k < count;) {
		out.push_back(point(k));
		if (!runs(k)) {
			k++;
			continue;
		}
		double distance = 0;
		size_t end = k;
		for (; runs(end); end++)
			distance += perimeter.Step(point(end), point(end + 1));
		distance -= twice * std::floor((distance + twice / 2) / twice);
		perimeter.AppendCorners(perimeter.At(point(k)), distance, out);
		k = end;
	}
	polygon.swap(out);
}

} // namespace

void psdClipPolygon(std::vector<PSDOutlinePoint>& polygon, const PSDClipBox& box)
{
	std::vector<Point> clipped;
	clipHalfPlane(polygon, clipped, true, box.left, 1);
	clipHalfPlane(clipped, polygon, true, box.right, -1);
	clipHalfPlane(polygon, clipped, false, box.top, 1);
	clipHalfPlane(clipped, polygon, false, box.bottom, -1);
	shortenSideRuns(polygon, Perimeter(box));
}
