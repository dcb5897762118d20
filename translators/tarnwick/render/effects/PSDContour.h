#ifndef PSD_CONTOUR_H
#define PSD_CONTOUR_H

// A contour as a table: the curve through its points, straight into and out
// of corner points and smooth (monotone, never overshooting) through the
// others, looked up for each coverage an effect makes.

#include <layers/style/PSDLayerStyle.h>

#include <vector>

class PSDContour {
public:
	// Linear (no table) for no points.
	explicit PSDContour(const std::vector<PSDContourPoint>& points);

	bool Linear() const { return fTable.empty(); }
	// The output for an input from 0 to 1 (clamped).
	float Map(float input) const;
	// Maps count values in place.
	void MapRow(float* values, size_t count) const;

private:
	std::vector<float> fTable;
};

#endif
