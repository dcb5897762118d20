#include "PSDDistance.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

// One line: f holds the squared distances so far (or kFar); d receives the
// distance of each sample to the nearest parabola's foot.
struct Envelope {
	std::vector<int32> feet;
	std::vector<double> bounds;

	void Run(const float* f, int32 n, float* d)
	{
		int32 k = -1;
		for (int32 q = 0; q < n; q++) {
			if (f[q] >= kFar)
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
			std::fill(d, d + n, kFar);
			return;
		}
		int32 j = 0;
		for (int32 q = 0; q < n; q++) {
			while (j < k && bounds[j + 1] < q)
				j++;
			const double dq = q - feet[j];
			d[q] = (float)std::min<double>(kFar, dq * dq + f[feet[j]]);
		}
	}

	static constexpr float kFar = 1e20f;
};

} // namespace

status_t psdSquaredDistance(const uint8* seed, int32 width, int32 height, float* out)
{
	if (width <= 0 || height <= 0)
		return B_OK;
	Envelope envelope;
	std::vector<float> line, result;
	try {
		const size_t longest = (size_t)std::max(width, height);
		envelope.feet.resize(longest);
		envelope.bounds.resize(longest);
		line.resize(longest);
		result.resize(longest);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	for (int32 x = 0; x < width; x++) {
		for (int32 y = 0; y < height; y++)
			line[y] = seed[(size_t)y * width + x] ? 0.0f : Envelope::kFar;
		envelope.Run(line.data(), height, result.data());
		for (int32 y = 0; y < height; y++)
			out[(size_t)y * width + x] = result[y];
	}
	for (int32 y = 0; y < height; y++) {
		float* row = out + (size_t)y * width;
		std::copy(row, row + width, line.begin());
		envelope.Run(line.data(), width, row);
	}
	return B_OK;
}
