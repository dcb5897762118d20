#ifndef PSD_BLUR_H
#define PSD_BLUR_H

#include <SupportDefs.h>

#include <cstddef>

// What lies beyond the plane's edges while it is blurred.
enum PSDBlurEdge {
	kPSDBlurEdgeClamp,    // the edge pixels go on
	kPSDBlurEdgeConstant, // one value all round: a layer mask's default colour
};

// Photoshop's mask feather stops here (effect sizes stop lower); larger radii
// blur no more.
const double kPSDBlurMaxRadius = 1000;

// The Gaussian's standard deviation for a feather radius in pixels: the radius
// itself, as feathered masks of the corpus show. Effect sizes may map
// otherwise; they are not measured yet.
double psdBlurSigma(double radius);

// How far, in pixels, a pixel's value spreads under the blur of this radius:
// a rectangle blurred alone matches the whole plane when it has this much
// more of the plane around it.
int32 psdBlurReach(double radius);

// Blurs a plane of width x height floats, rows stride floats apart, in place,
// with the Gaussian psdBlurSigma(radius); beyond the edges lies outside for
// kPSDBlurEdgeConstant. Three box passes each way, so that the cost per pixel
// does not grow with the radius. A radius of 0 or less (or not a number)
// leaves the plane as it is. B_NO_MEMORY when scratch lines cannot be had;
// B_BAD_VALUE for a missing plane or a stride below width.
status_t psdBlurPlane(float* plane, int32 width, int32 height, size_t stride, double radius,
                      PSDBlurEdge edge, float outside = 0);

#endif
