#ifndef PSD_GEOMETRY_H
#define PSD_GEOMETRY_H

#include <SupportDefs.h>

#include <algorithm>

// Canvas pixels, half-open: right and bottom lie just outside.
struct PSDRect {
	int32 left, top, right, bottom;
};

inline bool isEmpty(const PSDRect& r)
{
	return r.right <= r.left || r.bottom <= r.top;
}

inline PSDRect intersection(const PSDRect& a, const PSDRect& b)
{
	PSDRect r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
	             std::min(a.bottom, b.bottom)};
	r.right = std::max(r.right, r.left);
	r.bottom = std::max(r.bottom, r.top);
	return r;
}

// A rectangle not rounded to whole pixels: where a path's anchors lie.
struct PSDBounds {
	double left, top, right, bottom;
};

inline PSDBounds toBounds(const PSDRect& r)
{
	return {(double)r.left, (double)r.top, (double)r.right, (double)r.bottom};
}

inline bool isEmpty(const PSDBounds& b)
{
	return !(b.right > b.left && b.bottom > b.top);
}

// Hostile rectangles sit near the ends of 32 bits; growing one stops well
// short of them.
inline PSDRect grown(const PSDRect& r, int32 by)
{
	const int64 limit = 1 << 30;
	auto clamp = [limit](int64 v) { return (int32)std::max(-limit, std::min(limit, v)); };
	return {clamp((int64)r.left - by), clamp((int64)r.top - by), clamp((int64)r.right + by),
	        clamp((int64)r.bottom + by)};
}

#endif
