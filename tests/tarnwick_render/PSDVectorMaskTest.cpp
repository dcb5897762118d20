// Vector masks from hand-built path records: coverage of known shapes, the
// operations between shapes, the flags, and records that are damaged.

#include <render/shape/PSDVectorMask.h>

#include "PathBlock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const int32 kSide = 100;

std::vector<uint8> coverage(const PSDVectorPath& mask, const PSDRect& rect = {0, 0, kSide, kSide})
{
	int32 width = rect.right - rect.left;
	std::vector<uint8> out(size_t(width) * (rect.bottom - rect.top), 77);
	EXPECT_EQ(B_OK, psdVectorMaskCoverage(mask, rect, out.data(), width));
	return out;
}

uint8 at(const std::vector<uint8>& plane, int32 x, int32 y)
{
	return plane[size_t(y) * kSide + x];
}

TEST(PSDVectorMask, RectanglesCoverWholeAndHalfPixels)
{
	std::vector<uint8> sharp = coverage(PathBlock().Rectangle(1, 0.2, 0.3, 0.6, 0.7).Read());
	for (int32 y = 0; y < kSide; y++) {
		for (int32 x = 0; x < kSide; x++) {
			bool inside = x >= 20 && x < 60 && y >= 30 && y < 70;
			ASSERT_EQ(inside ? 255 : 0, at(sharp, x, y)) << x << "," << y;
		}
	}
	std::vector<uint8> half = coverage(PathBlock().Rectangle(1, 0.205, 0.3, 0.6, 0.705).Read());
	EXPECT_NEAR(128, at(half, 20, 50), 1);
	EXPECT_NEAR(128, at(half, 40, 70), 1);
	EXPECT_NEAR(64, at(half, 20, 70), 1);
	EXPECT_EQ(255, at(half, 21, 69));
}

TEST(PSDVectorMask, AnyRectangleMatchesTheWholeCanvas)
{
	PSDVectorPath mask = PathBlock().Circle(1, 0.5, 0.5, 0.33).Read();
	std::vector<uint8> whole = coverage(mask);
	PSDRect part = {37, 12, 71, 90};
	std::vector<uint8> piece = coverage(mask, part);
	for (int32 y = part.top; y < part.bottom; y++) {
		for (int32 x = part.left; x < part.right; x++) {
			ASSERT_EQ(at(whole, x, y),
			          piece[size_t(y - part.top) * (part.right - part.left) + x - part.left]);
		}
	}
}

TEST(PSDVectorMask, CircleCoversItsArea)
{
	std::vector<uint8> circle = coverage(PathBlock().Circle(1, 0.5, 0.5, 0.4).Read());
	double area = 0;
	for (uint8 value : circle)
		area += value / 255.0;
	EXPECT_NEAR(M_PI * 40 * 40, area, M_PI * 40 * 40 * 0.005);
	EXPECT_EQ(255, at(circle, 50, 50));
	EXPECT_EQ(0, at(circle, 15, 15));
}

// A covers x, y in [10, 60), B in [40, 90): a pixel of A alone, of both, of B
// alone and of neither.
TEST(PSDVectorMask, ShapesMeetByTheirOperations)
{
	struct Case {
		int operation;
		bool startsFilled;
		uint8 aAlone, both, bAlone, neither;
	} cases[] = {
	    {kPSDPathCombine, false, 255, 255, 255, 0},
	    {kPSDPathSubtract, false, 255, 0, 0, 0},
	    {kPSDPathIntersect, false, 0, 255, 0, 0},
	    {kPSDPathExclude, false, 255, 0, 255, 0},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.operation);
		std::vector<uint8> plane = coverage(PathBlock()
		                                        .Rectangle(kPSDPathCombine, 0.1, 0.1, 0.6, 0.6)
		                                        .Rectangle(c.operation, 0.4, 0.4, 0.9, 0.9)
		                                        .Read());
		EXPECT_EQ(c.aAlone, at(plane, 20, 20));
		EXPECT_EQ(c.both, at(plane, 50, 50));
		EXPECT_EQ(c.bAlone, at(plane, 80, 80));
		EXPECT_EQ(c.neither, at(plane, 5, 95));
	}

	// The first shape is itself, drawn on nothing, unless it subtracts: then
	// it is taken from everything. The initial fill record changes neither
	// (vector-mask.psd fills an ellipse whose record says to start filled).
	for (bool startsFilled : {false, true}) {
		SCOPED_TRACE(startsFilled);
		for (int operation : {kPSDPathCombine, kPSDPathIntersect, kPSDPathExclude}) {
			std::vector<uint8> first = coverage(
			    PathBlock(0, startsFilled).Rectangle(operation, 0.1, 0.1, 0.6, 0.6).Read());
			EXPECT_EQ(255, at(first, 20, 20));
			EXPECT_EQ(0, at(first, 80, 80));
		}
		std::vector<uint8> subtracted = coverage(
		    PathBlock(0, startsFilled).Rectangle(kPSDPathSubtract, 0.1, 0.1, 0.6, 0.6).Read());
		EXPECT_EQ(0, at(subtracted, 20, 20));
		EXPECT_EQ(255, at(subtracted, 80, 80));
	}
}

TEST(PSDVectorMask, SubpathsOfOneShapeFillTogether)
{
	// A frame: the inner square continues the outer one, so it is a hole of
	// the shape before the next shape combines with it.
	std::vector<uint8> plane = coverage(PathBlock()
	                                        .Rectangle(kPSDPathCombine, 0.1, 0.1, 0.9, 0.9)
	                                        .Rectangle(kPSDPathSameShape, 0.3, 0.3, 0.7, 0.7)
	                                        .Rectangle(kPSDPathCombine, 0.45, 0.0, 0.55, 1.0)
	                                        .Read());
	EXPECT_EQ(255, at(plane, 20, 20));
	EXPECT_EQ(0, at(plane, 35, 50));
	EXPECT_EQ(255, at(plane, 50, 50));
	EXPECT_EQ(255, at(plane, 50, 2));
}

TEST(PSDVectorMask, FlagsAndEmptyPaths)
{
	std::vector<uint8> inverted = coverage(PathBlock(1).Rectangle(1, 0.205, 0.3, 0.6, 0.7).Read());
	EXPECT_EQ(0, at(inverted, 30, 50));
	EXPECT_EQ(255, at(inverted, 80, 50));
	EXPECT_NEAR(127, at(inverted, 20, 50), 1);

	std::vector<uint8> disabled = coverage(PathBlock(4).Rectangle(1, 0.2, 0.3, 0.6, 0.7).Read());
	EXPECT_EQ(std::vector<uint8>(disabled.size(), 255), disabled);

	std::vector<uint8> empty = coverage(PathBlock().Read());
	EXPECT_EQ(std::vector<uint8>(empty.size(), 0), empty);
	std::vector<uint8> all = coverage(PathBlock(0, true).Read());
	EXPECT_EQ(std::vector<uint8>(all.size(), 255), all);
	std::vector<uint8> none = coverage(PathBlock(1, true).Read());
	EXPECT_EQ(std::vector<uint8>(none.size(), 0), none);
}

TEST(PSDVectorMask, DamagedRecordsAreRefusedOrIgnored)
{
	PSDVectorPath mask;
	auto read = [&mask](const uint8* data, size_t size) {
		return psdReadVectorPath(data, size, kSide, kSide, 1 << 16, 1 << 20, &mask);
	};
	std::vector<uint8> bytes = PathBlock().Rectangle(1, 0.2, 0.2, 0.8, 0.8).Bytes();
	EXPECT_EQ(B_ILLEGAL_DATA, read(bytes.data(), 7));
	EXPECT_EQ(B_ILLEGAL_DATA, read(nullptr, bytes.size()));
	bytes[3] = 2;
	EXPECT_EQ(B_NOT_SUPPORTED, read(bytes.data(), bytes.size()));

	// Cut inside the last knot: three knots make a triangle.
	PathBlock cut;
	cut.Rectangle(1, 0.2, 0.2, 0.8, 0.8);
	ASSERT_EQ(B_OK, read(cut.Bytes().data(), cut.Bytes().size() - 5));
	ASSERT_EQ(1u, mask.outlines.size());
	EXPECT_EQ(3u, mask.knots);

	// More knots claimed than follow, stray knots, unknown records: the
	// square is read as it is and the rest is left out.
	PathBlock odd;
	odd.Knot(0.5, 0.5).Record(99, 7).Subpath(1, 40).Knot(0.2, 0.2).Knot(0.8, 0.2).Knot(0.8, 0.8);
	odd.Knot(0.2, 0.8).Record(7);
	mask = odd.Read();
	ASSERT_EQ(1u, mask.outlines.size());
	EXPECT_EQ(4u, mask.knots);
	std::vector<uint8> plane = coverage(mask);
	EXPECT_EQ(255, at(plane, 50, 50));
	EXPECT_EQ(0, at(plane, 10, 50));

	// Subpaths without knots, before any knot was read, draw nothing.
	std::vector<uint8> bare = coverage(PathBlock().Subpath(1, 0).Subpath(3, 2).Read());
	EXPECT_EQ(std::vector<uint8>(bare.size(), 0), bare);

	uint8 untouched = 9;
	EXPECT_EQ(B_OK, psdVectorMaskCoverage(mask, {5, 5, 5, 9}, &untouched, 0));
	EXPECT_EQ(9, untouched);
	EXPECT_EQ(B_BAD_VALUE, psdVectorMaskCoverage(mask, {0, 0, 2, 1}, &untouched, 1));
	EXPECT_EQ(B_BAD_VALUE,
	          psdVectorMaskCoverage(mask, {INT32_MIN, 0, INT32_MAX, 1}, &untouched, 0xffffffffu));
}

TEST(PSDVectorMask, FarKnotsInAHugeDocumentKeepTheirEdges)
{
	// A triangle reaching 100 documents out each way whose long edge is the
	// diagonal y = x of a 300000-pixel document: deep inside it, pixels
	// right of the diagonal are covered, the diagonal's own pixels half (to
	// within cairo's 15 sample rows a pixel).
	const int32 document = 300000;
	PSDVectorPath mask = PathBlock()
	                         .Subpath(1, 3)
	                         .Knot(-100, -100)
	                         .Knot(100, 100)
	                         .Knot(100, -100)
	                         .Read(document, document);
	PSDRect rect = {150000, 150000, 150016, 150016};
	std::vector<uint8> plane(16 * 16);
	ASSERT_EQ(B_OK, psdVectorMaskCoverage(mask, rect, plane.data(), 16));
	for (int32 y = 0; y < 16; y++) {
		for (int32 x = 0; x < 16; x++) {
			uint8 expected = x > y ? 255 : x < y ? 0 : 128;
			ASSERT_NEAR(expected, plane[y * 16 + x], x == y ? 10 : 0) << x << "," << y;
		}
	}
}

TEST(PSDVectorMask, LapsRoundTheRectangleCountByTheirParity)
{
	// Square laps far outside the rectangle asked for: an odd number covers
	// it all, an even number nothing.
	for (int laps : {1, 2, 3, 40}) {
		SCOPED_TRACE(laps);
		PathBlock block;
		block.Subpath(kPSDPathCombine, 4 * laps);
		for (int i = 0; i < laps; i++)
			block.Knot(-50, -50).Knot(50, -50).Knot(50, 50).Knot(-50, 50);
		std::vector<uint8> plane = coverage(block.Read(), {40, 40, 60, 60});
		EXPECT_EQ(std::vector<uint8>(plane.size(), laps % 2 ? 255 : 0), plane);
	}
}

TEST(PSDVectorMask, PathsCostingFarMoreThanAnyMaskAreRefused)
{
	PathBlock block;
	for (int i = 0; i < 5000; i++)
		block.Rectangle(kPSDPathIntersect, -1, -1, 2, 2);
	std::vector<uint8> plane(100);
	EXPECT_EQ(B_NO_MEMORY, psdVectorMaskCoverage(block.Read(), {0, 0, 10, 10}, plane.data(), 10));
}

} // namespace
