#include <core/PSDCore.h>
#include <core/PSDDocument.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

TEST(PSDHeader, VerifyAcceptsTheSignatureWithVersionOneOrTwo)
{
	struct {
		Bytes bytes;
		bool accepted;
	} cases[] = {
	    {{'8', 'B', 'P', 'S', 0, 1, 9}, true}, {{'8', 'B', 'P', 'S', 0, 2}, true},
	    {{'8', 'B', 'P', 'S', 0, 3}, false},   {{'8', 'B', 'P', 'T', 0, 1}, false},
	    {{'8', 'B', 'P', 'S', 0}, false},      {{'8', 'B'}, false},
	};
	for (const auto& c : cases) {
		BMemoryIO in(c.bytes.data(), c.bytes.size());
		bool isPSD = false;
		EXPECT_EQ(c.accepted ? B_OK : B_NO_TRANSLATOR, psdCoreVerify(&in, &isPSD));
		EXPECT_EQ(c.accepted, isPSD);
	}
}

status_t describe(const Bytes& bytes, PSDDocument* document, std::string* reason,
                  bool requireImageData = true)
{
	BMemoryIO in(bytes.data(), bytes.size());
	return psdCoreDescribe(&in, document, reason, requireImageData);
}

TEST(PSDHeader, DescribeStoresFieldsAsReadAndFindsTheImageData)
{
	for (uint16_t version : {1, 2}) {
		PsdLayout layout = psdLayout(9, 16, 0xFFFF, 0x01000020, 16);
		layout.version = version;
		layout.colorModeData = Bytes(5, 1);
		layout.imageResources = Bytes(300, 2);
		layout.layerInfo = Bytes(7, 3);
		Bytes bytes = psdFrontMatter(layout);
		appendBig16(bytes, 0x0102);
		PSDDocument d;
		std::string reason;
		ASSERT_EQ(B_OK, describe(bytes, &d, &reason));
		EXPECT_EQ(version, d.version);
		EXPECT_EQ(0x01000020u, d.width);
		EXPECT_EQ(16u, d.height);
		EXPECT_EQ(65535u, d.channels);
		EXPECT_EQ(16, d.depth);
		EXPECT_EQ(9, d.mode);
		const uint64 layerLength = version == 2 ? 8 : 4;
		EXPECT_EQ(30u, d.colorModeData.offset);
		EXPECT_EQ(5u, d.colorModeData.length);
		EXPECT_EQ(39u, d.resources.offset);
		EXPECT_EQ(300u, d.resources.length);
		EXPECT_EQ(339 + layerLength, d.layerAndMask.offset);
		EXPECT_EQ(7u, d.layerAndMask.length);
		EXPECT_TRUE(d.hasImageData);
		EXPECT_EQ(0x0102, d.compression);
		EXPECT_EQ(bytes.size(), d.imageData);
		EXPECT_EQ(-1, d.realMergedData);
	}
}

// Each part of the front that the file ends in has its reason; a file that
// ends right behind its layers has no image data, which fails only when
// image data is required.
TEST(PSDHeader, DescribeSaysWhereTheFileEnds)
{
	PsdLayout layout;
	layout.imageResources = Bytes(10, 2);
	layout.layerInfo = Bytes(10, 3);
	Bytes whole = psdFrontMatter(layout);
	const size_t front = whole.size();
	appendBig16(whole, 0);
	const struct {
		size_t size;
		const char* reason;
	} cases[] = {
	    {0, "the file is too short to be a Photoshop image"},
	    {25, "the file is too short to be a Photoshop image"},
	    {26, "the file ends before its colour mode data"},
	    {29, "the file ends before its colour mode data"},
	    {33, "the file ends before its image resources"},
	    {front - 11, "the file ends before its layer and mask information"},
	    {front, "the file ends before its image data"},
	    {front + 1, "the file ends before its image data"},
	};
	for (const auto& c : cases) {
		const Bytes cut(whole.begin(), whole.begin() + c.size);
		PSDDocument d;
		std::string reason;
		EXPECT_EQ(B_ERROR, describe(cut, &d, &reason)) << c.size;
		EXPECT_EQ(c.reason, reason) << c.size;
		if (c.size >= front) {
			reason.clear();
			EXPECT_EQ(B_OK, describe(cut, &d, &reason, false));
			EXPECT_FALSE(d.hasImageData);
		}
	}
	// Lengths are unsigned: this one reaches past the end of any file.
	Bytes huge = whole;
	huge[26] = huge[27] = huge[28] = huge[29] = 0xFF;
	PSDDocument d;
	std::string reason;
	EXPECT_EQ(B_ERROR, describe(huge, &d, &reason));
	EXPECT_EQ("the file ends before its image resources", reason);
}

Bytes resourceBlock(const char* signature, uint16_t id, const std::string& name, const Bytes& data)
{
	Bytes block(signature, signature + 4);
	appendBig16(block, id);
	block.push_back((uint8_t)name.size());
	block.insert(block.end(), name.begin(), name.end());
	if (block.size() % 2)
		block.push_back(0);
	appendBig32(block, (uint32_t)data.size());
	block.insert(block.end(), data.begin(), data.end());
	if (block.size() % 2)
		block.push_back(0);
	return block;
}

// Names and data padded to even lengths; the walk stops at a block of
// unknown signature or one that does not fit the section.
TEST(PSDHeader, ResourcesAreIndexedAndTheMergedImageIsKnownRealOrNot)
{
	for (uint8_t real : {0, 1}) {
		PsdLayout layout;
		Bytes& resources = layout.imageResources;
		for (const Bytes& block :
		     {resourceBlock("8BIM", 1057, "a", {0, 0, 0, 1, real}),
		      resourceBlock("MeSa", 1037, "", {0, 0, 0, 30}), resourceBlock("XXXX", 1, "", {}),
		      resourceBlock("8BIM", 2, "", {})})
			resources.insert(resources.end(), block.begin(), block.end());
		Bytes bytes = psdFrontMatter(layout);
		appendBig16(bytes, 0);
		PSDDocument d;
		std::string reason;
		ASSERT_EQ(B_OK, describe(bytes, &d, &reason));
		ASSERT_EQ(2u, d.resourceIndex.size());
		EXPECT_EQ(1057, d.resourceIndex[0].id);
		EXPECT_EQ(d.resources.offset + 12, d.resourceIndex[0].offset);
		EXPECT_EQ(5u, d.resourceIndex[0].length);
		EXPECT_EQ(1037, d.resourceIndex[1].id);
		EXPECT_EQ(d.resources.offset + 18 + 12, d.resourceIndex[1].offset);
		EXPECT_EQ(4u, d.resourceIndex[1].length);
		EXPECT_EQ(real, d.realMergedData);
	}
	// A block whose data would cross the section's end is not indexed.
	PsdLayout layout;
	layout.imageResources = resourceBlock("8BIM", 1057, "", {0, 0, 0, 1, 1});
	layout.imageResources.resize(layout.imageResources.size() - 2);
	Bytes bytes = psdFrontMatter(layout);
	appendBig16(bytes, 0);
	PSDDocument d;
	std::string reason;
	ASSERT_EQ(B_OK, describe(bytes, &d, &reason));
	EXPECT_TRUE(d.resourceIndex.empty());
	EXPECT_EQ(-1, d.realMergedData);
}

} // namespace
