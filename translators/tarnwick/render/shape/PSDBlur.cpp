#include "PSDBlur.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

const int kPasses = 3;
// Lines blurred side by side, interleaved, so that one loop serves them all.
const size_t kLanes = 16;
// Photoshop's feathered masks fit a Gaussian whose standard deviation is the
// feather radius to within five per cent (radii 2 and 6 of
// layer_mask_data.psd).
const double kSigmaPerRadius = 1.0;

// A box of 2 reach + 1 pixels plus edgeWeight of the next pixel each side:
// the fraction lets three passes reach any variance, not only those of
// whole boxes.
struct BoxPass {
	int32 reach;
	double edgeWeight;
	double scale;
};

BoxPass boxWithVariance(double variance)
{
	double reach = std::floor((std::sqrt(12 * variance + 1) - 1) / 2);
	double whole = reach * (reach + 1) / 3; // the variance of the box alone
	double edgeWeight =
	    (2 * reach + 1) * (variance - whole) / (2 * ((reach + 1) * (reach + 1) - variance));
	return {int32(reach), edgeWeight, 1 / (2 * reach + 1 + 2 * edgeWeight)};
}

// Blurs kLanes interleaved lines of count samples: padded with what lies
// beyond the edges, then three passes, each leaving a narrower stretch valid.
class LineBlur {
public:
	LineBlur(const BoxPass& pass, int32 count, PSDBlurEdge edge, float outside)
	    : fPass(pass), fPad(kPasses * (pass.reach + 1)), fCount(count), fEdge(edge),
	      fOutside(outside)
	{
	}

	bool Allocate()
	{
		try {
			size_t size = (size_t(fCount) + 2 * size_t(fPad)) * kLanes;
			fFirst.resize(size);
			fSecond.resize(size);
		} catch (const std::bad_alloc&) {
			return false;
		}
		return true;
	}

	// Sample i of lane l is at Line()[i * kLanes + l].
	double* Line() { return fFirst.data() + size_t(fPad) * kLanes; }

	// Blurs what Line() holds; the result is left there.
	void Run()
	{
		Pad();
		double* source = fFirst.data();
		double* target = fSecond.data();
		int32 low = 0, high = fCount + 2 * fPad;
		for (int pass = 0; pass < kPasses; pass++) {
			low += fPass.reach + 1;
			high -= fPass.reach + 1;
			Box(source, target, low, high);
			std::swap(source, target);
		}
		// Three passes end in the second buffer; the result belongs in the first.
		std::copy(source + size_t(fPad) * kLanes, source + size_t(fPad + fCount) * kLanes,
		          fFirst.data() + size_t(fPad) * kLanes);
	}

private:
	void Pad()
	{
		double* padded = fFirst.data();
		const size_t first = fPad, last = size_t(fPad) + fCount - 1;
		for (size_t l = 0; l < kLanes; l++) {
			double before = fEdge == kPSDBlurEdgeClamp ? padded[first * kLanes + l] : fOutside;
			double after = fEdge == kPSDBlurEdgeClamp ? padded[last * kLanes + l] : fOutside;
			for (size_t i = 1; i <= size_t(fPad); i++) {
				padded[(first - i) * kLanes + l] = before;
				padded[(last + i) * kLanes + l] = after;
			}
		}
	}

	// target[i] for low <= i < high from source, valid a reach + 1 wider.
	// The lanes run side by side, so that the inner loop vectorises.
	void Box(const double* __restrict source, double* __restrict target, int32 low, int32 high)
	{
		const int32 reach = fPass.reach;
		const double weight = fPass.edgeWeight, scale = fPass.scale;
		double sums[kLanes] = {};
		for (int32 j = low - reach; j <= low + reach; j++) {
			for (size_t l = 0; l < kLanes; l++)
				sums[l] += source[size_t(j) * kLanes + l];
		}
		for (int32 i = low; i < high; i++) {
			const double* before = source + size_t(i - reach - 1) * kLanes;
			const double* first = before + kLanes;
			const double* after = source + size_t(i + reach + 1) * kLanes;
			double* out = target + size_t(i) * kLanes;
			for (size_t l = 0; l < kLanes; l++) {
				out[l] = (sums[l] + weight * (before[l] + after[l])) * scale;
				sums[l] += after[l] - first[l];
			}
		}
	}

	BoxPass fPass;
	int32 fPad;
	int32 fCount;
	PSDBlurEdge fEdge;
	float fOutside;
	std::vector<double> fFirst, fSecond;
};

// Blurs lines of count samples kLanes at a time: line l starts at
// plane + l * across and its samples lie along apart.
void blurLines(LineBlur& blur, float* plane, int32 lines, int32 count, size_t across, size_t along)
{
	double* line = blur.Line();
	for (int32 first = 0; first < lines; first += kLanes) {
		// The last group may have lanes to spare; they blur zeros.
		const size_t lanes = std::min(kLanes, size_t(lines - first));
		float* start = plane + size_t(first) * across;
		for (size_t i = 0; i < size_t(count); i++) {
			for (size_t l = 0; l < kLanes; l++)
				line[i * kLanes + l] = l < lanes ? start[l * across + i * along] : 0;
		}
		blur.Run();
		for (size_t i = 0; i < size_t(count); i++) {
			for (size_t l = 0; l < lanes; l++)
				start[l * across + i * along] = float(line[i * kLanes + l]);
		}
	}
}

} // namespace

double psdBlurSigma(double radius)
{
	return kSigmaPerRadius * std::min(radius, kPSDBlurMaxRadius);
}

int32 psdBlurReach(double radius)
{
	if (!(radius > 0))
		return 0;
	double sigma = psdBlurSigma(radius);
	return kPasses * (boxWithVariance(sigma * sigma / kPasses).reach + 1);
}

status_t psdBlurPlane(float* plane, int32 width, int32 height, size_t stride, double radius,
                      PSDBlurEdge edge, float outside)
{
	if (width < 0 || height < 0)
		return B_BAD_VALUE;
	if (!(radius > 0) || width == 0 || height == 0)
		return B_OK;
	if (plane == nullptr || stride < size_t(width))
		return B_BAD_VALUE;
	double sigma = psdBlurSigma(radius);
	BoxPass pass = boxWithVariance(sigma * sigma / kPasses);

	LineBlur rows(pass, width, edge, outside);
	LineBlur columns(pass, height, edge, outside);
	if (!rows.Allocate() || !columns.Allocate())
		return B_NO_MEMORY;
	blurLines(rows, plane, height, width, stride, 1);
	blurLines(columns, plane, width, height, 1, stride);
	return B_OK;
}
