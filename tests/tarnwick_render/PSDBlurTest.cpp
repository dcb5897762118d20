// The three-pass blur against the Gaussian it stands for.

#include <render/shape/PSDBlur.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

// One pixel of 1 in the middle of a zero plane, blurred.
std::vector<float> impulseResponse(int32 side, double radius)
{
	std::vector<float> plane(size_t(side) * side, 0);
	plane[size_t(side / 2) * side + side / 2] = 1;
	EXPECT_EQ(B_OK, psdBlurPlane(plane.data(), side, side, side, radius, kPSDBlurEdgeClamp));
	return plane;
}

TEST(PSDBlur, ImpulseSpreadsWithTheGaussiansVariance)
{
	const int32 side = 121;
	for (double radius : {0.7, 3.0, 10.3}) {
		SCOPED_TRACE(radius);
		std::vector<float> plane = impulseResponse(side, radius);
		double sigma = psdBlurSigma(radius);
		EXPECT_NEAR(1, std::accumulate(plane.begin(), plane.end(), 0.0), 1e-4);
		double variance = 0;
		for (int32 y = 0; y < side; y++) {
			for (int32 x = 0; x < side; x++) {
				double dx = x - side / 2;
				variance += plane[size_t(y) * side + x] * dx * dx;
			}
		}
		EXPECT_NEAR(sigma * sigma, variance, sigma * sigma * 0.01);
	}
}

// What masks and shadows show is a blurred edge: it must follow the
// Gaussian's integral.
TEST(PSDBlur, StepFollowsTheGaussiansIntegral)
{
	const int32 width = 200;
	for (double radius : {1.0, 4.0, 25.0}) {
		SCOPED_TRACE(radius);
		std::vector<float> row(width);
		for (int32 x = 0; x < width; x++)
			row[x] = x < width / 2 ? 0 : 1;
		ASSERT_EQ(B_OK, psdBlurPlane(row.data(), width, 1, width, radius, kPSDBlurEdgeClamp));
		double sigma = psdBlurSigma(radius), worst = 0;
		for (int32 x = 0; x < width; x++) {
			// The step sits between pixels width / 2 - 1 and width / 2.
			double at = x + 0.5 - width / 2;
			double expected = 0.5 * std::erfc(-at / (sigma * std::sqrt(2.0)));
			worst = std::max(worst, std::abs(expected - row[x]));
		}
		EXPECT_LT(worst, 0.015);
	}
}

TEST(PSDBlur, EdgesClampOrTakeTheOutsideValue)
{
	std::vector<float> plane(40 * 30, 0.75f);
	ASSERT_EQ(B_OK, psdBlurPlane(plane.data(), 40, 30, 40, 6, kPSDBlurEdgeClamp));
	for (float value : plane)
		ASSERT_NEAR(0.75f, value, 1e-5);

	// An edge pixel keeps the half of its spread that stays inside, and its own share.
	ASSERT_EQ(B_OK, psdBlurPlane(plane.data(), 40, 30, 40, 4, kPSDBlurEdgeConstant, 0));
	double inside = 0.5 + 0.5 / (psdBlurSigma(4) * std::sqrt(2 * M_PI));
	EXPECT_NEAR(0.75f, plane[15 * 40 + 20], 1e-3);
	EXPECT_NEAR(0.75 * inside * inside, plane[0], 0.01);
	EXPECT_NEAR(0.75 * inside, plane[15 * 40], 0.01);
}

TEST(PSDBlur, StridesLeaveTheRestOfTheRowAlone)
{
	std::vector<float> rows(10 * 16, 5);
	for (int32 y = 0; y < 10; y++)
		std::fill_n(rows.begin() + y * 16, 12, y % 2 ? 1.0f : 0.0f);
	ASSERT_EQ(B_OK, psdBlurPlane(rows.data(), 12, 10, 16, 2, kPSDBlurEdgeClamp));
	for (int32 y = 0; y < 10; y++) {
		for (int32 x = 12; x < 16; x++)
			ASSERT_EQ(5, rows[y * 16 + x]);
		EXPECT_GT(rows[y * 16 + 6], 0.2f);
		EXPECT_LT(rows[y * 16 + 6], 0.8f);
	}
}

// Rows in order, counted.
class Rows : public PSDBlurSource {
public:
	Rows(const std::vector<float>& plane, int32 width) : fPlane(plane), fWidth(width) {}
	void ReadRow(int32 y, float* row) override
	{
		EXPECT_EQ(fNext, y);
		fNext = y + 1;
		std::copy_n(fPlane.begin() + size_t(y) * fWidth, fWidth, row);
	}
	int32 fNext = 0;

private:
	const std::vector<float>& fPlane;
	int32 fWidth;
};

// Down the columns the rows go by as they come, only a window of them read
// ahead: the result is the one the lines along the rows give, turned.
TEST(PSDBlur, RollingRowsBlurDownAsAlongWithinAWindow)
{
	const int32 width = 23, height = 700;
	const double radius = 9;
	std::vector<float> plane(size_t(width) * height), turned(plane.size());
	uint32 noise = 1;
	for (float& value : plane) {
		noise = noise * 1103515245 + 12345;
		value = float(noise >> 16 & 1023) / 1023;
	}
	for (int32 y = 0; y < height; y++)
		for (int32 x = 0; x < width; x++)
			turned[size_t(x) * height + y] = plane[size_t(y) * width + x];
	ASSERT_EQ(B_OK, psdBlurPlane(turned.data(), height, width, height, radius, kPSDBlurEdgeClamp));

	Rows rows(plane, width);
	PSDRollingBlur blur(rows, width, height, radius, kPSDBlurEdgeClamp);
	double worst = 0;
	for (int32 y = 0; y < height; y++) {
		const float* row = blur.Row(y);
		EXPECT_LE(rows.fNext, std::min(height, y + psdBlurReach(radius) + 16));
		for (int32 x = 0; x < width; x++)
			worst = std::max(worst, double(std::fabs(row[x] - turned[size_t(x) * height + y])));
	}
	EXPECT_LT(worst, 1e-5);
}

TEST(PSDBlur, HostileRadiiAndSizes)
{
	std::vector<float> plane = {0, 1, 0, 0, 1, 0};
	std::vector<float> before = plane;
	EXPECT_EQ(B_OK, psdBlurPlane(plane.data(), 3, 2, 3, NAN, kPSDBlurEdgeClamp));
	EXPECT_EQ(before, plane);
	EXPECT_EQ(B_OK, psdBlurPlane(plane.data(), 3, 2, 3, -4, kPSDBlurEdgeClamp));
	EXPECT_EQ(before, plane);
	EXPECT_EQ(B_OK, psdBlurPlane(nullptr, 0, 5, 0, 3, kPSDBlurEdgeClamp));
	EXPECT_EQ(B_BAD_VALUE, psdBlurPlane(plane.data(), 3, 2, 2, 3, kPSDBlurEdgeClamp));
	EXPECT_EQ(B_BAD_VALUE, psdBlurPlane(plane.data(), -3, 2, 3, 3, kPSDBlurEdgeClamp));

	// Past Photoshop's largest radius nothing changes any more.
	std::vector<float> widest = before;
	EXPECT_EQ(B_OK, psdBlurPlane(plane.data(), 3, 2, 3, 1e9, kPSDBlurEdgeClamp));
	EXPECT_EQ(B_OK, psdBlurPlane(widest.data(), 3, 2, 3, kPSDBlurMaxRadius, kPSDBlurEdgeClamp));
	EXPECT_EQ(widest, plane);
	for (float value : plane)
		EXPECT_TRUE(value >= 0 && value <= 1);
}

} // namespace
