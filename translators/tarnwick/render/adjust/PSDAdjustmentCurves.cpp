// Curves: each channel's curve, then the composite's, each a table of its own
// in 8-bit documents. A curve is a natural cubic spline through its points,
// flat beyond the first and the last; one drawn by hand holds 256 values, and
// the spline runs through those.

#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"

#include <algorithm>

namespace {

class Curve {
public:
	// A later point at the same input wins. False without points.
	bool Set(const std::vector<PSDCurvePoint>& points);
	double operator()(double t) const;

private:
	std::vector<double> fX, fY, fSecond; // the spline's second derivatives
};

bool Curve::Set(const std::vector<PSDCurvePoint>& points)
{
	std::vector<size_t> order(points.size());
	for (size_t i = 0; i < order.size(); i++)
		order[i] = i;
	std::stable_sort(order.begin(), order.end(),
	                 [&](size_t a, size_t b) { return points[a].input < points[b].input; });
	fX.clear();
	fY.clear();
	for (size_t i : order) {
		if (!fX.empty() && points[i].input <= fX.back()) {
			fY.back() = points[i].output;
			continue;
		}
		fX.push_back(points[i].input);
		fY.push_back(points[i].output);
	}
	const size_t n = fX.size();
	if (n == 0)
		return false;
	// The tridiagonal system of a natural spline (zero curvature at the ends),
	// by the Thomas algorithm.
	fSecond.assign(n, 0);
	std::vector<double> upper(n, 0);
	for (size_t i = 1; i + 1 < n; i++) {
		const double left = fX[i] - fX[i - 1], right = fX[i + 1] - fX[i];
		const double slopes = (fY[i + 1] - fY[i]) / right - (fY[i] - fY[i - 1]) / left;
		const double diagonal = 2 * (left + right) - left * upper[i - 1];
		upper[i] = right / diagonal;
		fSecond[i] = (6 * slopes - left * fSecond[i - 1]) / diagonal;
	}
	for (size_t i = n - 1; i-- > 1;)
		fSecond[i] -= upper[i] * fSecond[i + 1];
	return true;
}

double Curve::operator()(double t) const
{
	if (t <= fX.front())
		return fY.front();
	if (t >= fX.back())
		return fY.back();
	const size_t i = std::upper_bound(fX.begin(), fX.end(), t) - fX.begin() - 1;
	const double h = fX[i + 1] - fX[i];
	const double a = (fX[i + 1] - t) / h, b = (t - fX[i]) / h;
	return a * fY[i] + b * fY[i + 1] +
	       ((a * a * a - a) * fSecond[i] + (b * b * b - b) * fSecond[i + 1]) * h * h / 6;
}

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDCurvesSettings& settings,
                                                 const PSDRenderTarget& target)
{
	Curve curves[PSD_ADJUSTMENT_MOST_COLOURS + 1];
	bool present[PSD_ADJUSTMENT_MOST_COLOURS + 1];
	for (int i = 0; i <= target.colours; i++)
		present[i] = curves[i].Set(settings.curves[i]);
	const PSDToneStep step(target);
	std::vector<PSDToneTable> tables;
	for (int c = 0; c < target.colours; c++) {
		tables.push_back(PSDToneTable::From([&](double x) {
			x = step(x);
			if (present[c + 1])
				x = step(curves[c + 1](x));
			return present[0] ? step(curves[0](x)) : x;
		}));
	}
	return std::unique_ptr<PSDAdjustment>(new PSDToneAdjustment(std::move(tables)));
}
