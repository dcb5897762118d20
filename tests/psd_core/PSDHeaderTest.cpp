#include <core/PSDCore.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

TEST(PSDHeader, VerifyAcceptsTheSignatureWithVersionOneOrTwo)
{
	struct {
		Bytes bytes;
		bool accepted;
		off_t positionAfter;
	} cases[] = {
	    {{'8', 'B', 'P', 'S', 0, 1, 9}, true, 6}, {{'8', 'B', 'P', 'S', 0, 2}, true, 6},
	    {{'8', 'B', 'P', 'S', 0, 3}, false, 6},   {{'8', 'B', 'P', 'T', 0, 1}, false, 4},
	    {{'8', 'B', 'P', 'S', 0}, false, 5},      {{'8', 'B'}, false, 2},
	};
	for (const auto& c : cases) {
		BMemoryIO in(c.bytes.data(), c.bytes.size());
		bool isPSD = false;
		EXPECT_EQ(c.accepted ? B_OK : B_NO_TRANSLATOR, psdCoreVerify(&in, &isPSD));
		EXPECT_EQ(c.accepted, isPSD);
		EXPECT_EQ(c.positionAfter, in.Position());
	}
}

TEST(PSDHeader, ImageInfoSeeksItselfAndStoresFieldsAsRead)
{
	PsdLayout layout = psdLayout(9, 16, 0xFFFF, 0x01000020, 16);
	Bytes bytes = psdFrontMatter(layout);
	BMemoryIO in(bytes.data(), bytes.size());
	in.Seek(40, SEEK_SET);
	uint32 width = 0, height = 0, channels = 0;
	uint16 depth = 0, mode = 0;
	ASSERT_EQ(B_OK, psdCoreImageInfo(&in, &width, &height, &channels, &depth, &mode));
	EXPECT_EQ(0x01000020u, width);
	EXPECT_EQ(16u, height);
	EXPECT_EQ(65535u, channels);
	EXPECT_EQ(16, depth);
	EXPECT_EQ(9, mode);

	BMemoryIO shortIn(bytes.data(), 25);
	mode = 77;
	width = height = channels = depth = 0;
	EXPECT_EQ(B_ERROR, psdCoreImageInfo(&shortIn, &width, &height, &channels, &depth, &mode));
	EXPECT_EQ(0x01000020u, width);
	EXPECT_EQ(16, depth);
	EXPECT_EQ(77, mode);
}

TEST(PSDHeader, SectionsAreSkippedByTheirUnsignedLength)
{
	Bytes bytes = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
	BMemoryIO in(bytes.data(), bytes.size());
	EXPECT_EQ(B_OK, psdCoreSkipSection(&in));
	EXPECT_EQ(4, in.Position());
	EXPECT_EQ(B_OK, psdCoreSkipSection(&in));
	EXPECT_EQ(8 + 0xFFFFFFFFll, in.Position());
	EXPECT_EQ(B_ERROR, psdCoreSkipSection(&in));
}

TEST(PSDHeader, CompressionWordFollowsTheThreeSections)
{
	PsdLayout layout;
	layout.colorModeData = Bytes(5, 1);
	layout.imageResources = Bytes(300, 2);
	layout.layerInfo = Bytes(7, 3);
	Bytes bytes = psdFrontMatter(layout);
	appendBig16(bytes, 0x0102);
	BMemoryIO in(bytes.data(), bytes.size());
	uint16 compression = 0;
	ASSERT_EQ(B_OK, psdCoreImageCompression(&in, &compression));
	EXPECT_EQ(0x0102, compression);
	BMemoryIO shortIn(bytes.data(), bytes.size() - 1);
	EXPECT_EQ(B_ERROR, psdCoreImageCompression(&shortIn, &compression));
}

} // namespace
