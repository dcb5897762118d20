// The records that cross the add-on boundary must have the platform's
// layout byte for byte, and the bitmap header its big-endian form.

#include <ByteOrder.h>
#include <TranslationDefs.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

TEST(RecordLayout, TranslationFormatFields)
{
	EXPECT_EQ(sizeof(translation_format), 520u);
	EXPECT_EQ(offsetof(translation_format, type), 0u);
	EXPECT_EQ(offsetof(translation_format, group), 4u);
	EXPECT_EQ(offsetof(translation_format, quality), 8u);
	EXPECT_EQ(offsetof(translation_format, capability), 12u);
	EXPECT_EQ(offsetof(translation_format, MIME), 16u);
	EXPECT_EQ(offsetof(translation_format, name), 16u + 251u);
}

TEST(RecordLayout, TranslatorInfoPutsNameBeforeMime)
{
	EXPECT_EQ(sizeof(translator_info), 524u);
	EXPECT_EQ(offsetof(translator_info, type), 0u);
	EXPECT_EQ(offsetof(translator_info, translator), 4u);
	EXPECT_EQ(offsetof(translator_info, group), 8u);
	EXPECT_EQ(offsetof(translator_info, quality), 12u);
	EXPECT_EQ(offsetof(translator_info, capability), 16u);
	EXPECT_EQ(offsetof(translator_info, name), 20u);
	EXPECT_EQ(offsetof(translator_info, MIME), 20u + 251u);
}

TEST(RecordLayout, BitmapHeaderFields)
{
	EXPECT_EQ(sizeof(TranslatorBitmap), 32u);
	EXPECT_EQ(offsetof(TranslatorBitmap, magic), 0u);
	EXPECT_EQ(offsetof(TranslatorBitmap, bounds), 4u);
	EXPECT_EQ(offsetof(TranslatorBitmap, rowBytes), 20u);
	EXPECT_EQ(offsetof(TranslatorBitmap, colors), 24u);
	EXPECT_EQ(offsetof(TranslatorBitmap, dataSize), 28u);
}

namespace {

void swap_header(TranslatorBitmap* header, swap_action action)
{
	ASSERT_EQ(swap_data(B_UINT32_TYPE, &header->magic, 4, action), B_OK);
	ASSERT_EQ(swap_data(B_RECT_TYPE, &header->bounds, 16, action), B_OK);
	ASSERT_EQ(swap_data(B_UINT32_TYPE, &header->rowBytes, 4, action), B_OK);
	ASSERT_EQ(swap_data(B_UINT32_TYPE, &header->colors, 4, action), B_OK);
	ASSERT_EQ(swap_data(B_UINT32_TYPE, &header->dataSize, 4, action), B_OK);
}

}  // namespace

TEST(RecordLayout, BitmapHeaderIsWrittenBigEndian)
{
	TranslatorBitmap header;
	header.magic = B_TRANSLATOR_BITMAP;
	header.bounds.Set(0, 0, 255, 191);
	header.rowBytes = 256;
	header.colors = B_CMAP8;
	header.dataSize = 49152;
	swap_header(&header, B_SWAP_HOST_TO_BENDIAN);

	const uint8 expected[32] = {0x62, 0x69, 0x74, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0x43, 0x7F, 0, 0,
		0x43, 0x3F, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0x04, 0, 0, 0xC0, 0};
	EXPECT_EQ(memcmp(&header, expected, 32), 0);

	swap_header(&header, B_SWAP_BENDIAN_TO_HOST);
	EXPECT_EQ(header.magic, (uint32)B_TRANSLATOR_BITMAP);
	EXPECT_EQ(header.bounds, BRect(0, 0, 255, 191));
	EXPECT_EQ(header.rowBytes, 256u);
	EXPECT_EQ(header.colors, B_CMAP8);
	EXPECT_EQ(header.dataSize, 49152u);
}

TEST(RecordLayout, SwapDataRefusesPartialElementsAndUnknownTypes)
{
	uint8 bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
	uint8 before[16];
	memcpy(before, bytes, 16);
	EXPECT_EQ(swap_data(B_RECT_TYPE, bytes, 15, B_SWAP_ALWAYS), B_BAD_VALUE);
	EXPECT_EQ(swap_data(B_STRING_TYPE, bytes, 16, B_SWAP_ALWAYS), B_BAD_VALUE);
	EXPECT_EQ(memcmp(bytes, before, 16), 0);

	EXPECT_EQ(swap_data(B_UINT16_TYPE, bytes, 4, B_SWAP_ALWAYS), B_OK);
	const uint8 swapped[4] = {2, 1, 4, 3};
	EXPECT_EQ(memcmp(bytes, swapped, 4), 0);
}
