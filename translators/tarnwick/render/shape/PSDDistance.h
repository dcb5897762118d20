#ifndef PSD_DISTANCE_H
#define PSD_DISTANCE_H

#include <SupportDefs.h>

#include <cstddef>

// The exact squared Euclidean distance from every pixel of a width x height
// plane to the nearest seed (a pixel where `seed` is not zero), in time
// linear in the pixels whatever the distances: the lower envelope of
// parabolas of Felzenszwalb and Huttenlocher, first down the columns, then
// along the rows. Planes without seeds give a distance larger than any in
// the plane. B_NO_MEMORY when the scratch lines cannot be had.
status_t psdSquaredDistance(const uint8* seed, int32 width, int32 height, float* out);

#endif
