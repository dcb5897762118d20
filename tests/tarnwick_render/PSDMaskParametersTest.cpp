// Density and feather of a vector mask, against the sharp mask and the blur
// applied by hand over a wide enough margin.

#include <render/shape/PSDBlur.h>
#include <render/shape/PSDMaskParameters.h>

#include "PathBlock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const int32 kDocument = 400;

std::vector<float> maskPlane(const PSDVectorPath& mask, const PSDMaskParameters& parameters,
                             const PSDRect& rect)
{
	int32 width = rect.right - rect.left;
	std::vector<float> plane(size_t(width) * (rect.bottom - rect.top), -1);
	EXPECT_EQ(B_OK, psdVectorMaskPlane(mask, parameters, rect, plane.data(), width));
	return plane;
}

TEST(PSDMaskParameters, DensityPullsTowardOpaque)
{
	PSDVectorPath mask = PathBlock().Rectangle(1, 0.25, 0.25, 0.5, 0.5).Read(kDocument, kDocument);
	PSDMaskParameters parameters;
	parameters.density = 64;
	std::vector<float> plane = maskPlane(mask, parameters, {90, 90, 110, 110});
	EXPECT_FLOAT_EQ(1, plane[15 * 20 + 15]);
	EXPECT_NEAR(1 - 64 / 255.0, plane[0], 1e-6);
}

// A feathered mask is the sharp one blurred where the path goes on beyond the
// rectangle; wide feathers, drawn coarser, stay within a small tolerance.
TEST(PSDMaskParameters, FeatherBlursThePathBeyondTheRectangle)
{
	PSDVectorPath mask = PathBlock().Circle(1, 0.5, 0.5, 0.2).Read(kDocument, kDocument);
	PSDRect rect = {100, 190, 140, 230}; // across the circle's left edge, x = 120
	for (double feather : {3.0, 40.0}) {
		SCOPED_TRACE(feather);
		PSDMaskParameters parameters;
		parameters.feather = feather;
		std::vector<float> plane = maskPlane(mask, parameters, rect);

		PSDMaskParameters sharp;
		int32 margin = psdBlurReach(feather);
		PSDRect wide = {rect.left - margin, rect.top - margin, rect.right + margin,
		                rect.bottom + margin};
		int32 wideWidth = wide.right - wide.left;
		std::vector<float> reference = maskPlane(mask, sharp, wide);
		ASSERT_EQ(B_OK, psdBlurPlane(reference.data(), wideWidth, wide.bottom - wide.top, wideWidth,
		                             feather, kPSDBlurEdgeClamp));
		double worst = 0;
		for (int32 y = rect.top; y < rect.bottom; y++) {
			for (int32 x = rect.left; x < rect.right; x++) {
				double expected = reference[size_t(y - wide.top) * wideWidth + x - wide.left];
				worst = std::max(
				    worst, std::abs(expected - plane[size_t(y - rect.top) * 40 + x - rect.left]));
			}
		}
		EXPECT_LT(worst, feather < 8 ? 1e-5 : 0.01);
		EXPECT_LT(plane[20 * 40 + 0], 0.5f);
		EXPECT_GT(plane[20 * 40 + 39], 0.5f);
	}
}

TEST(PSDMaskParameters, HugeFeathersAndRectanglesStayBounded)
{
	// Everything left of x = 200, far beyond the document: half covered at the edge.
	PSDVectorPath mask = PathBlock().Rectangle(1, -100, -100, 0.5, 100).Read(kDocument, kDocument);
	PSDMaskParameters parameters;
	parameters.feather = 1e9;
	std::vector<float> plane = maskPlane(mask, parameters, {195, 0, 205, 4});
	for (float value : plane)
		EXPECT_TRUE(value > 0.3f && value < 0.7f) << value;

	float cell = 3;
	EXPECT_EQ(B_BAD_VALUE,
	          psdVectorMaskPlane(mask, parameters, {-2000000000, 0, -1999999999, 1}, &cell, 1));
	EXPECT_EQ(B_OK, psdVectorMaskPlane(mask, parameters, {4, 4, 4, 8}, &cell, 1));
	EXPECT_EQ(3, cell);
}

} // namespace
