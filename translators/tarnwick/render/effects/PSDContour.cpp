#include "PSDContour.h"

#include <algorithm>
#include <cmath>

namespace {

// Entries of the table; inputs fall between them linearly.
const int kSteps = 1024;

} // namespace

PSDContour::PSDContour(const std::vector<PSDContourPoint>& given)
{
	std::vector<PSDContourPoint> points;
	for (const PSDContourPoint& point : given) {
		if (std::isfinite(point.input) && std::isfinite(point.output))
			points.push_back(point);
	}
	std::stable_sort(
	    points.begin(), points.end(),
	    [](const PSDContourPoint& a, const PSDContourPoint& b) { return a.input < b.input; });
	if (points.empty())
		return;
	// The curve runs flat from the first point back to 0 and from the last
	// on to 1.
	const size_t n = points.size();
	// Slopes at the points: none at corners' sides, the Fritsch-Carlson
	// monotone slopes elsewhere.
	std::vector<double> secant(n > 1 ? n - 1 : 0), slope(n, 0);
	for (size_t i = 0; i + 1 < n; i++) {
		const double dx = points[i + 1].input - points[i].input;
		secant[i] = dx > 0 ? (points[i + 1].output - points[i].output) / dx : 0;
	}
	for (size_t i = 0; i < n; i++) {
		if (n == 1)
			break;
		if (i == 0 || i + 1 == n || points[i].corner) {
			slope[i] = i == 0 ? secant[0] : i + 1 == n ? secant[n - 2] : 0;
			continue;
		}
		const double a = secant[i - 1], b = secant[i];
		slope[i] = a * b > 0 ? 2 / (1 / a + 1 / b) : 0;
	}
	fTable.resize(kSteps + 1);
	size_t segment = 0;
	for (int step = 0; step <= kSteps; step++) {
		const double x = (double)step / kSteps;
		double y;
		if (x <= points.front().input) {
			y = points.front().output;
		} else if (x >= points.back().input) {
			y = points.back().output;
		} else {
			while (segment + 2 < n && x > points[segment + 1].input)
				segment++;
			const PSDContourPoint& p = points[segment];
			const PSDContourPoint& q = points[segment + 1];
			const double h = q.input - p.input;
			if (!(h > 0)) {
				y = q.output;
			} else if (p.corner && q.corner) {
				y = p.output + (q.output - p.output) * (x - p.input) / h;
			} else {
				// A cubic Hermite piece; a corner's side keeps the straight slope.
				const double m0 = p.corner ? secant[segment] : slope[segment];
				const double m1 = q.corner ? secant[segment] : slope[segment + 1];
				const double t = (x - p.input) / h, t2 = t * t, t3 = t2 * t;
				y = (2 * t3 - 3 * t2 + 1) * p.output + (t3 - 2 * t2 + t) * h * m0 +
				    (-2 * t3 + 3 * t2) * q.output + (t3 - t2) * h * m1;
			}
		}
		fTable[(size_t)step] = (float)std::min(1.0, std::max(0.0, y));
	}
}

float PSDContour::Map(float input) const
{
	if (fTable.empty())
		return input;
	const float at = std::min(1.0f, std::max(0.0f, input)) * kSteps;
	if (!(at >= 0))
		return fTable[0];
	const int i = std::min(kSteps - 1, (int)at);
	const float f = at - (float)i;
	return fTable[(size_t)i] + (fTable[(size_t)i + 1] - fTable[(size_t)i]) * f;
}

void PSDContour::MapRow(float* values, size_t count) const
{
	if (fTable.empty())
		return;
	for (size_t x = 0; x < count; x++)
		values[x] = Map(values[x]);
}
