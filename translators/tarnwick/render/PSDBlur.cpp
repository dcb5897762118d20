#include "PSDBlur.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

const int kPasses = 3;
// Columns blurred side by side, so that each row of them is read at once.
const int32 kLanes = 16;
// Photoshop's feathered masks fit a Gaussian whose standard deviation is the
// feather radius to within five per cent (radii 2 and 6 measured).
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

// Blurs lanes interleaved lines of count samples: padded with what lies
// beyond the edges, then three passes, each leaving a narrower stretch valid.
class LineBlur {
public:
	LineBlur(const BoxPass& pass, int32 count, PSDBlurEdge edge, float outside)
	    : fPass(pass), fPad(kPasses * (pass.reach + 1)), fCount(count), fEdge(edge),
	      fOutside(outside)
	{
	}

	bool Allocate(int32 lanes)
	{
		try {
			size_t size = (size_t(fCount) + 2 * size_t(fPad)) * lanes;
			fFirst.resize(size);
			fSecond.resize(size);
		} catch (const std::bad_alloc&) {
			return false;
		}
		return true;
	}

	// The line's samples at position i of lane l, before the padding.
	float* Line() { return fFirst.data() + size_t(fPad) * fLanes; }
	void SetLanes(int32 lanes) { fLanes = lanes; }

	// Blurs what Line() holds; the result is left there.
	void Run()
	{
		Pad();
		float* source = fFirst.data();
		float* target = fSecond.data();
		int32 low = 0, high = fCount + 2 * fPad;
		for (int pass = 0; pass < kPasses; pass++) {
			low += fPass.reach + 1;
			high -= fPass.reach + 1;
			Box(source, target, low, high);
			std::swap(source, target);
		}
		// Three passes end in the second buffer; the result belongs in the first.
		std::copy(source + size_t(fPad) * fLanes, source + size_t(fPad + fCount) * fLanes,
		          fFirst.data() + size_t(fPad) * fLanes);
	}

private:
	void Pad()
	{
		float* line = Line();
		for (int32 l = 0; l < fLanes; l++) {
			float before = fEdge == kPSDBlurEdgeClamp ? line[l] : fOutside;
			float after =
			    fEdge == kPSDBlurEdgeClamp ? line[size_t(fCount - 1) * fLanes + l] : fOutside;
			for (int32 i = 1; i <= fPad; i++) {
				line[-ptrdiff_t(i) * fLanes + l] = before;
				line[(size_t(fCount) - 1 + i) * fLanes + l] = after;
			}
		}
	}

	// target[i] for low <= i < high from source, valid a reach + 1 wider.
	void Box(const float* source, float* target, int32 low, int32 high)
	{
		int32 reach = fPass.reach;
		for (int32 l = 0; l < fLanes; l++) {
			const float* in = source + l;
			float* out = target + l;
			double sum = 0;
			for (int32 j = low - reach; j <= low + reach; j++)
				sum += in[size_t(j) * fLanes];
			for (int32 i = low; i < high; i++) {
				double edges =
				    in[size_t(i - reach - 1) * fLanes] + in[size_t(i + reach + 1) * fLanes];
				out[size_t(i) * fLanes] = float((sum + fPass.edgeWeight * edges) * fPass.scale);
				sum += in[size_t(i + reach + 1) * fLanes] - in[size_t(i - reach) * fLanes];
			}
		}
	}

	BoxPass fPass;
	int32 fPad;
	int32 fCount;
	PSDBlurEdge fEdge;
	float fOutside;
	int32 fLanes = 1;
	std::vector<float> fFirst, fSecond;
};

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
	if (!rows.Allocate(1))
		return B_NO_MEMORY;
	for (int32 y = 0; y < height; y++) {
		float* row = plane + size_t(y) * stride;
		std::copy(row, row + width, rows.Line());
		rows.Run();
		std::copy(rows.Line(), rows.Line() + width, row);
	}

	LineBlur columns(pass, height, edge, outside);
	if (!columns.Allocate(kLanes))
		return B_NO_MEMORY;
	for (int32 x = 0; x < width; x += kLanes) {
		int32 lanes = std::min(kLanes, width - x);
		columns.SetLanes(lanes);
		float* line = columns.Line();
		for (int32 y = 0; y < height; y++)
			std::copy(plane + size_t(y) * stride + x, plane + size_t(y) * stride + x + lanes,
			          line + size_t(y) * lanes);
		columns.Run();
		for (int32 y = 0; y < height; y++)
			std::copy(line + size_t(y) * lanes, line + size_t(y + 1) * lanes,
			          plane + size_t(y) * stride + x);
	}
	return B_OK;
}
