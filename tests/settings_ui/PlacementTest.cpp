// Where the settings window opens, for a given screen and mouse position.

#include <settings/PSDWindow.h>

#include <gtest/gtest.h>

namespace {

const BRect kScreen(0, 0, 1023, 767);
const BRect kExtent(0, 0, 240, 220);

TEST(Placement, FirstRunCentresOnTheMouse)
{
	// The default (0, 0) lies outside the shrunk frame, which starts at (10, 23).
	EXPECT_EQ(settings_window_origin(B_ORIGIN, kScreen, BPoint(500, 400), kExtent),
	          BPoint(380, 290));
}

TEST(Placement, MouseNearTheCornerClampsToTheShrunkFrame)
{
	EXPECT_EQ(settings_window_origin(B_ORIGIN, kScreen, BPoint(5, 5), kExtent), BPoint(10, 23));
	BRect offset(100, 50, 1123, 817);
	EXPECT_EQ(settings_window_origin(B_ORIGIN, offset, BPoint(105, 55), kExtent), BPoint(110, 73));
}

TEST(Placement, ASavedPointOnTheShrunkFrameIsKept)
{
	EXPECT_EQ(settings_window_origin(BPoint(10, 23), kScreen, BPoint(500, 400), kExtent),
	          BPoint(10, 23));
	EXPECT_EQ(settings_window_origin(BPoint(1013, 744), kScreen, BPoint(500, 400), kExtent),
	          BPoint(1013, 744));
	EXPECT_EQ(settings_window_origin(BPoint(400.5f, 300), kScreen, BPoint(0, 0), kExtent),
	          BPoint(400.5f, 300));
}

TEST(Placement, ASavedPointOffTheShrunkFrameIsReplaced)
{
	// Beyond the right edge, as after a change to a smaller screen.
	EXPECT_EQ(settings_window_origin(BPoint(1014, 300), kScreen, BPoint(500, 400), kExtent),
	          BPoint(380, 290));
	EXPECT_EQ(settings_window_origin(BPoint(9.5f, 300), kScreen, BPoint(500, 400), kExtent),
	          BPoint(380, 290));
	EXPECT_EQ(settings_window_origin(BPoint(500, 745), kScreen, BPoint(500, 400), kExtent),
	          BPoint(380, 290));
}

TEST(Placement, OnlyTheTopLeftCornerIsClamped)
{
	// Near the bottom right the window may reach past the screen's edge.
	EXPECT_EQ(settings_window_origin(B_ORIGIN, kScreen, BPoint(1023, 767), kExtent),
	          BPoint(903, 657));
	EXPECT_EQ(settings_window_origin(B_ORIGIN, kScreen, BPoint(5000, 5000), kExtent),
	          BPoint(1013, 744));
}

} // namespace
