#include "PSDDistance.h"

#include <algorithm>

namespace {

// The lower envelope of the parabolas f[q] + (x - q)^2 along one line: d
// receives its value at every sample. Samples at kFar are no parabola.
void envelope(const float* f, int32 n, float* d, int32* feet, double* bounds)
{
	const float far = PSDRollingDistance::kFar;
	int32 k = -1;
	for (int32 q = 0; q < n; q++) {
		if (f[q] >= far)
			continue;
		double s = 0;
		while (k >= 0) {
			const int32 p = feet[k];
			s = ((f[q] + (double)q * q) - (f[p] + (double)p * p)) / (2.0 * (q - p));
			if (s > bounds[k])
				break;
			k--;
		}
		k++;
		feet[k] = q;
		bounds[k] = k == 0 ? -1e30 : s;
	}
	if (k < 0) {
		std::fill(d, d + n, far);
		return;
	}
	int32 j = 0;
	for (int32 q = 0; q < n; q++) {
		while (j < k && bounds[j + 1] < q)
			j++;
		const double dq = q - feet[j];
		d[q] = (float)std::min<double>(far, dq * dq + f[feet[j]]);
	}
}

} // namespace

PSDRollingDistance::PSDRollingDistance(int32 width, int32 range)
    : fWidth(std::max(width, 0)), fHeld(std::max(range, 0) + 2), fSeeds((size_t)fWidth * fHeld),
      fAbove((size_t)fWidth, -1), fBelow((size_t)fWidth, -1), fColumn((size_t)fWidth),
      fFeet((size_t)fWidth), fBounds((size_t)fWidth)
{
}

void PSDRollingDistance::AddRow(const uint8* seeds)
{
	uint8* row = &fSeeds[(size_t)(fAdded % fHeld) * fWidth];
	for (int32 x = 0; x < fWidth; x++) {
		row[x] = seeds[x] != 0;
		if (row[x] && fBelow[x] < 0)
			fBelow[x] = fAdded;
	}
	fAdded++;
}

void PSDRollingDistance::Distances(int32 y, float* out)
{
	const uint8* row = Seeds(y);
	for (int32 x = 0; x < fWidth; x++) {
		// The seed below that the row before had is passed: the next one
		// lies further down, among the rows added since.
		if (fBelow[x] >= 0 && fBelow[x] < y) {
			fBelow[x] = -1;
			for (int32 j = y; j < fAdded; j++) {
				if (Seeds(j)[x]) {
					fBelow[x] = j;
					break;
				}
			}
		}
		if (row[x])
			fAbove[x] = y;
		int32 nearest = fAbove[x] >= 0 ? y - fAbove[x] : -1;
		if (fBelow[x] >= 0 && (nearest < 0 || fBelow[x] - y < nearest))
			nearest = fBelow[x] - y;
		fColumn[x] = nearest < 0 ? kFar : (float)((double)nearest * nearest);
	}
	envelope(fColumn.data(), fWidth, out, fFeet.data(), fBounds.data());
}
