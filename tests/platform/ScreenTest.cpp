// The screen's colour map: IndexForColor finds exact colours, the nearest
// one otherwise, and settles ties the same way every time.

#include <Screen.h>

#include <gtest/gtest.h>

#include <climits>

namespace {

int distance(const rgb_color& a, uint8 r, uint8 g, uint8 b)
{
	int dr = a.red - r, dg = a.green - g, db = a.blue - b;
	return dr * dr + dg * dg + db * db;
}

} // namespace

TEST(Screen, EveryOpaqueEntryMapsToItselfOrAnEqualEarlierOne)
{
	BScreen screen;
	const color_map* map = screen.ColorMap();
	for (int i = 0; i < 255; i++) {
		const rgb_color& c = map->color_list[i];
		ASSERT_EQ(c.alpha, 255) << "entry " << i;
		uint8 index = screen.IndexForColor(c.red, c.green, c.blue, 255);
		EXPECT_LE(index, i);
		EXPECT_EQ(screen.ColorForIndex(index), c) << "entry " << i;
	}
}

TEST(Screen, OtherColoursGetTheNearestEntryLowestIndexFirst)
{
	BScreen screen;
	const color_map* map = screen.ColorMap();
	// A spread of colours, each asked twice so a remembered answer is checked too.
	for (int pass = 0; pass < 2; pass++) {
		for (int r = 3; r < 256; r += 37) {
			for (int g = 11; g < 256; g += 41) {
				for (int b = 7; b < 256; b += 43) {
					int best = INT_MAX, bestIndex = -1;
					for (int i = 0; i < 255; i++) {
						int d = distance(map->color_list[i], r, g, b);
						if (d < best) {
							best = d;
							bestIndex = i;
						}
					}
					ASSERT_EQ(screen.IndexForColor(r, g, b), bestIndex)
					    << r << "," << g << "," << b;
				}
			}
		}
	}
}

TEST(Screen, TransparentColoursGetTheTransparentEntry)
{
	BScreen screen;
	EXPECT_EQ(screen.IndexForColor(10, 20, 30, 0), 255);
	EXPECT_EQ(screen.ColorMap()->color_list[255].alpha, 0);
	EXPECT_NE(screen.IndexForColor(10, 20, 30, 255), 255);
}

TEST(Screen, TiesGoToTheLowestIndex)
{
	BScreen screen;
	// (0, 0, 187) lies 17 from both (0, 0, 170) and (0, 0, 204); black and
	// white are in the map twice (the cube and the gray ramp).
	uint8 tie = screen.IndexForColor(0, 0, 187);
	EXPECT_EQ(screen.ColorForIndex(tie), make_color(0, 0, 204));
	uint8 other = screen.IndexForColor(0, 0, 170);
	EXPECT_GT(other, tie);
	EXPECT_EQ(screen.IndexForColor(0, 0, 187), tie);
	const color_map* map = screen.ColorMap();
	for (rgb_color c : {make_color(0, 0, 0), make_color(255, 255, 255)}) {
		int first = 0;
		while (map->color_list[first] != c)
			first++;
		EXPECT_EQ(screen.IndexForColor(c), first);
	}
}
