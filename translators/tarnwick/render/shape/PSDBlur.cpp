#include "PSDBlur.h"

#include <algorithm>
#include <cmath>
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

// Blurs lines of count samples kLanes at a time: line l starts at
// plane + l * across and its samples lie along apart.
template <class Blur>
void blurLines(Blur& blur, float* plane, int32 lines, int32 count, size_t across, size_t along)
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

// Blurs kLanes interleaved lines of count samples: padded with what lies
// beyond the edges, then three passes, each leaving a narrower stretch valid.
class PSDRollingBlur::LineBlur {
public:
	LineBlur(const BoxPass& pass, int32 count, PSDBlurEdge edge, float outside)
	    : fPass(pass), fPad(kPasses * (pass.reach + 1)), fCount(count), fEdge(edge),
	      fOutside(outside)
	{
	}

	void Allocate()
	{
		const size_t size = (size_t(fCount) + 2 * size_t(fPad)) * kLanes;
		fFirst.resize(size);
		fSecond.resize(size);
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

uint64 psdBlurHeldBytes(int32 width, double radius)
{
	if (!(radius > 0) || width <= 0)
		return 0;
	const double sigma = psdBlurSigma(radius);
	const uint64 reach = (uint64)boxWithVariance(sigma * sigma / kPasses).reach;
	const uint64 held = 2 * reach + 3, pad = kPasses * (reach + 1);
	// As the constructor sizes them: the levels' rows, the lines blurred
	// along, the staged rows and the column sums.
	return (uint64)width * held * (sizeof(float) + 2 * sizeof(double)) +
	       2 * ((uint64)width + 2 * pad) * kLanes * sizeof(double) +
	       (uint64)width * (kLanes * sizeof(float) + 3 * sizeof(double));
}

PSDRollingBlur::PSDRollingBlur(PSDBlurSource& source, int32 width, int32 height, double radius,
                               PSDBlurEdge edge, float outside)
    : fSource(source), fWidth(std::max(width, 0)), fHeight(std::max(height, 0)),
      fBlurs(radius > 0 && fWidth > 0 && fHeight > 0), fEdge(edge), fOutside(outside), fReach(0),
      fEdgeWeight(0), fScale(1), fPad(0), fHeld(0), fOut(size_t(fWidth))
{
	if (!fBlurs)
		return;
	const double sigma = psdBlurSigma(radius);
	const BoxPass pass = boxWithVariance(sigma * sigma / kPasses);
	fReach = pass.reach;
	fEdgeWeight = pass.edgeWeight;
	fScale = pass.scale;
	fPad = kPasses * (fReach + 1);
	fHeld = 2 * fReach + 3;
	fRows.reset(new LineBlur(pass, fWidth, edge, outside));
	fRows->Allocate();
	fStaged.resize(size_t(fWidth) * kLanes);
	fLevel0.resize(size_t(fWidth) * fHeld);
	fLevel1.resize(size_t(fWidth) * fHeld);
	fLevel2.resize(size_t(fWidth) * fHeld);
	for (std::vector<double>& sums : fSums)
		sums.resize(size_t(fWidth));
	// Each pass leaves the reach and one row more of the edges unmade.
	for (int level = 0; level <= kPasses; level++)
		fNext[level] = level * (fReach + 1);
}

PSDRollingBlur::~PSDRollingBlur() {}

// Row y of the source blurred along, read with the rows after it a group of
// lines at a time.
const float* PSDRollingBlur::SourceRow(int32 y)
{
	if (y >= fStagedFirst + fStagedCount) {
		fStagedFirst = y;
		fStagedCount = std::min<int32>(int32(kLanes), fHeight - y);
		for (int32 l = 0; l < fStagedCount; l++)
			fSource.ReadRow(y + l, fStaged.data() + size_t(l) * fWidth);
		blurLines(*fRows, fStaged.data(), fStagedCount, fWidth, size_t(fWidth), 1);
	}
	return fStaged.data() + size_t(y - fStagedFirst) * fWidth;
}

// Makes row i of a level: its edges and the plane's rows at level 0, one
// box pass down the rows of the level above for the others, with the sums
// running down each column as the plane-wide pass had them.
void PSDRollingBlur::Make(int level, int32 i)
{
	const size_t width = size_t(fWidth);
	if (level == 0) {
		float* row = fLevel0.data() + size_t(i % fHeld) * width;
		const int32 y = std::min(std::max(i - fPad, 0), fHeight - 1);
		const bool inside = i >= fPad && i < fPad + fHeight;
		if (inside || fEdge == kPSDBlurEdgeClamp) {
			const float* source = SourceRow(y);
			std::copy(source, source + width, row);
		} else {
			std::fill(row, row + width, fOutside);
		}
		return;
	}
	while (fNext[level - 1] <= i + fReach + 1)
		Make(level - 1, fNext[level - 1]++);
	double* sums = fSums[level - 1].data();
	const int32 low = level * (fReach + 1);
	auto box = [&](auto above, auto* out) {
		auto line = [&](int32 j) { return above + size_t(j % fHeld) * width; };
		if (i == low) {
			std::fill(sums, sums + width, 0.0);
			for (int32 j = i - fReach; j <= i + fReach; j++) {
				const auto* add = line(j);
				for (size_t x = 0; x < width; x++)
					sums[x] += add[x];
			}
		}
		const auto* __restrict before = line(i - fReach - 1);
		const auto* __restrict first = line(i - fReach);
		const auto* __restrict after = line(i + fReach + 1);
		const double weight = fEdgeWeight, scale = fScale;
		for (size_t x = 0; x < width; x++) {
			out[x] = (sums[x] + weight * (double(before[x]) + double(after[x]))) * scale;
			sums[x] += double(after[x]) - double(first[x]);
		}
	};
	if (level == 1)
		box(fLevel0.data(), fLevel1.data() + size_t(i % fHeld) * width);
	else if (level == 2)
		box(fLevel1.data(), fLevel2.data() + size_t(i % fHeld) * width);
	else
		box(fLevel2.data(), fOut.data());
}

const float* PSDRollingBlur::Row(int32 y)
{
	if (y == fOutRow)
		return fOut.data();
	fOutRow = y;
	if (!fBlurs) {
		fSource.ReadRow(y, fOut.data());
		return fOut.data();
	}
	while (fNext[3] <= fPad + y)
		Make(3, fNext[3]++);
	return fOut.data();
}

namespace {

// A plane's rows, read in place.
class PlaneRows : public PSDBlurSource {
public:
	PlaneRows(const float* plane, int32 width, size_t stride)
	    : fPlane(plane), fWidth(width), fStride(stride)
	{
	}
	void ReadRow(int32 y, float* row) override
	{
		const float* from = fPlane + size_t(y) * fStride;
		std::copy(from, from + fWidth, row);
	}

private:
	const float* fPlane;
	int32 fWidth;
	size_t fStride;
};

} // namespace

int32 psdBlurReadAhead(double radius)
{
	// The rows the source gives are blurred along a group of lanes at a time.
	return radius > 0 ? psdBlurReach(radius) + int32(kLanes) - 1 : 0;
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
	// Each output row comes once the source has been read past it.
	PlaneRows rows(plane, width, stride);
	PSDRollingBlur blur(rows, width, height, radius, edge, outside);
	for (int32 y = 0; y < height; y++) {
		const float* row = blur.Row(y);
		std::copy(row, row + width, plane + size_t(y) * stride);
	}
	return B_OK;
}
