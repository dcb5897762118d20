#ifndef PSD_DISTANCE_H
#define PSD_DISTANCE_H

#include <SupportDefs.h>

#include <vector>

// The squared Euclidean distance from every pixel of a plane to the nearest
// seed, for a plane that arrives row by row: only `range` + 2 rows of seeds
// are held. Distances up to `range` pixels are exact; larger ones come out
// larger than range squared, and planes without seeds give a distance larger
// than any in the plane. Down the columns each row keeps the nearest seed
// above it and finds the nearest below among the rows ahead; along the row,
// the lower envelope of parabolas of Felzenszwalb and Huttenlocher. Time
// linear in the pixels whatever the distances.
class PSDRollingDistance {
public:
	PSDRollingDistance(int32 width, int32 range);

	// The next row of seeds (pixels that are not 0), from the plane's first.
	void AddRow(const uint8* seeds);
	int32 RowsAdded() const { return fAdded; }
	// The squared distances of row y, once the rows up to y + range (or the
	// plane's last) are added; rows in order, each once.
	void Distances(int32 y, float* out);

	static constexpr float kFar = 1e20f;

private:
	const uint8* Seeds(int32 y) const { return &fSeeds[(size_t)(y % fHeld) * fWidth]; }

	int32 fWidth;
	int32 fHeld;
	int32 fAdded = 0;
	std::vector<uint8> fSeeds;
	std::vector<int32> fAbove; // by column: the last seed's row up to y, or -1
	std::vector<int32> fBelow; // the first seed's row from y on among those added, or -1
	std::vector<float> fColumn;
	std::vector<int32> fFeet;
	std::vector<double> fBounds;
};

#endif
