// Curves: each channel's curve, then the composite's. A curve is a natural
// cubic spline through its points, flat beyond the first and the last; one
// drawn by hand holds 256 values, and the spline runs through those.

#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"
#include <layers/adjustments/PSDAdjustmentBytes.h>

#include <algorithm>

namespace {

// Photoshop keeps a handful of points a curve; far more is no curve of its.
const uint16 kMostPoints = 256;
const int kMostCurves = 32; // the bits of the block's channel map

class Curve {
public:
	// Points in [0, 1], by input; a later point at the same input wins.
	bool Set(std::vector<double> x, std::vector<double> y);
	double operator()(double t) const;

private:
	std::vector<double> fX, fY, fSecond; // the spline's second derivatives
};

bool Curve::Set(std::vector<double> x, std::vector<double> y)
{
	std::vector<size_t> order(x.size());
	for (size_t i = 0; i < order.size(); i++)
		order[i] = i;
	std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x[a] < x[b]; });
	fX.clear();
	fY.clear();
	for (size_t i : order) {
		if (!fX.empty() && x[i] <= fX.back()) {
			fY.back() = y[i];
			continue;
		}
		fX.push_back(x[i]);
		fY.push_back(y[i]);
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

bool readPoints(PSDAdjustmentBytes& bytes, Curve* curve)
{
	const uint16 count = bytes.Big16();
	if (count > kMostPoints || count * 4u > bytes.Left())
		return false;
	std::vector<double> x(count), y(count);
	for (uint16 i = 0; i < count; i++) {
		y[i] = bytes.Big16() / 255.0; // output first
		x[i] = bytes.Big16() / 255.0;
	}
	return curve->Set(std::move(x), std::move(y));
}

bool readMap(PSDAdjustmentBytes& bytes, Curve* curve)
{
	if (bytes.Left() < 256)
		return false;
	// The drawn values, met exactly at every 8-bit input.
	std::vector<double> x(256), y(256);
	for (int i = 0; i < 256; i++) {
		x[i] = i / 255.0;
		y[i] = bytes.Uint8() / 255.0;
	}
	return curve->Set(std::move(x), std::move(y));
}

} // namespace

std::unique_ptr<PSDAdjustment> psdReadCurves(const PSDBlockData& block,
                                             const PSDRenderTarget& target)
{
	PSDAdjustmentBytes bytes(block);
	const bool drawn = bytes.Uint8() != 0;
	bytes.Big16(); // version
	const uint32 channels = bytes.Big32();
	Curve curves[kMostCurves];
	bool present[kMostCurves] = {};
	for (int i = 0; i < kMostCurves; i++) {
		if ((channels & (1u << i)) == 0)
			continue;
		if (!(drawn ? readMap(bytes, &curves[i]) : readPoints(bytes, &curves[i])))
			return nullptr;
		present[i] = true;
	}
	if (bytes.Failed())
		return nullptr;
	std::vector<PSDToneTable> tables;
	for (int c = 0; c < target.colours; c++) {
		tables.push_back(PSDToneTable::From([&](double x) {
			if (present[c + 1])
				x = curves[c + 1](x);
			return present[0] ? curves[0](x) : x;
		}));
	}
	return std::unique_ptr<PSDAdjustment>(new PSDToneAdjustment(std::move(tables)));
}
