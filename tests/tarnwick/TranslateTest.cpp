#include "TarnwickAddOn.h"
#include "TestImages.h"
#include "TestStreams.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

const uint32 kBits = 0x62697473;

Bytes concat(Bytes head, const Bytes& tail)
{
	head.insert(head.end(), tail.begin(), tail.end());
	return head;
}

TEST(TarnwickTranslate, ThreeByTwoRGBImageGivesItsExact56Bytes)
{
	psdtest::PsdLayout layout;
	layout.width = 3;
	layout.height = 2;
	const Bytes psd = psdtest::psdRaw(
	    layout, {{1, 2, 3, 4, 5, 6}, {11, 12, 13, 14, 15, 16}, {21, 22, 23, 24, 25, 26}});
	const Bytes expected = {0x62, 0x69, 0x74, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
	                        0x40, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C,
	                        0x00, 0x00, 0x20, 0x08, 0x00, 0x00, 0x00, 0x18, 21,   11,   1,    255,
	                        22,   12,   2,    255,  23,   13,   3,    255,  24,   14,   4,    255,
	                        25,   15,   5,    255,  26,   16,   6,    255};

	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	for (uint32 outType : {0u, kBits}) {
		translation result = translate_with(addOn.translate, psd, outType);
		EXPECT_EQ(B_OK, result.status);
		EXPECT_EQ(expected, result.output);
		EXPECT_EQ(2, result.writes);
	}

	// Wherever the input stands on entry, and after what the output already holds.
	CountingInput input(psd);
	input.Seek(40, SEEK_SET);
	LimitedOutput output;
	output.Write("abc", 3);
	EXPECT_EQ(B_OK, addOn.translate(&input, nullptr, nullptr, 0, &output));
	EXPECT_EQ(concat({'a', 'b', 'c'}, expected), output.Bytes());
}

struct table_row {
	uint16_t mode;
	uint16_t channels;
	uint16_t depth;
	bool alpha4;
	int multichannelRead;
	decoded kind;
};

void PrintTo(const table_row& row, std::ostream* os)
{
	*os << "mode " << row.mode << ", " << row.channels << " channels, depth " << row.depth
	    << ", alpha4 " << row.alpha4 << ", multichannelRead " << row.multichannelRead;
}

class TarnwickDecisionTable : public testing::TestWithParam<table_row> {};

// The settings reach the add-on the way a user's do: through the settings
// file, read when the add-on is loaded.
TEST_P(TarnwickDecisionTable, ChoosesTheLoader)
{
	const table_row& row = GetParam();
	TarnwickAddOn addOn(settings_file(row.alpha4, row.multichannelRead).c_str());
	ASSERT_EQ("", addOn.Error());
	for (bool packed : {false, true}) {
		translation result = translate_with(
		    addOn.translate, two_pixel_psd(row.mode, row.channels, row.depth, packed));
		EXPECT_EQ(B_OK, result.status) << (packed ? "PackBits" : "raw");
		EXPECT_EQ(concat(bitmap_header(2, 1), two_pixel_result(row.kind)), result.output)
		    << (packed ? "PackBits" : "raw");
	}
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TarnwickDecisionTable,
    testing::Values(
        table_row{0, 1, 1, false, 1, decoded::bitmap}, table_row{0, 1, 1, true, 3, decoded::bitmap},
        table_row{1, 1, 8, true, 2, decoded::gray}, table_row{1, 1, 16, false, 1, decoded::gray},
        table_row{1, 2, 8, true, 1, decoded::gray}, table_row{2, 1, 8, true, 2, decoded::indexed},
        table_row{3, 3, 8, false, 1, decoded::rgb}, table_row{3, 3, 8, true, 1, decoded::rgb},
        table_row{3, 3, 16, true, 2, decoded::rgb}, table_row{3, 4, 8, false, 1, decoded::rgb},
        table_row{3, 4, 8, true, 3, decoded::rgba}, table_row{3, 5, 8, true, 1, decoded::rgba},
        table_row{3, 4, 16, true, 1, decoded::rgba}, table_row{4, 4, 8, true, 1, decoded::cmyk},
        table_row{4, 5, 8, false, 3, decoded::cmyk}, table_row{4, 4, 16, false, 2, decoded::cmyk},
        table_row{7, 3, 8, true, 1, decoded::rgb}, table_row{7, 4, 8, true, 1, decoded::rgb},
        table_row{7, 3, 16, false, 1, decoded::rgb}, table_row{7, 2, 8, true, 1, decoded::gray},
        table_row{7, 1, 16, false, 1, decoded::gray}, table_row{7, 4, 8, false, 2, decoded::cmyk},
        table_row{7, 5, 16, true, 2, decoded::cmyk}, table_row{7, 3, 8, false, 2, decoded::gray},
        table_row{7, 2, 16, true, 2, decoded::gray}, table_row{7, 4, 8, true, 3, decoded::gray},
        table_row{7, 3, 16, false, 3, decoded::gray}, table_row{8, 1, 8, true, 2, decoded::gray},
        table_row{8, 1, 16, false, 1, decoded::gray}, table_row{9, 3, 8, true, 1, decoded::gray},
        table_row{9, 3, 16, false, 2, decoded::gray}));

TEST(TarnwickTranslate, WithoutSettingsFileAlpha4IsOffAndMultichannelIsRGB)
{
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	EXPECT_EQ(concat(bitmap_header(2, 1), two_pixel_result(decoded::rgb)),
	          translate_with(addOn.translate, two_pixel_psd(3, 4, 8, false)).output);
	EXPECT_EQ(concat(bitmap_header(2, 1), two_pixel_result(decoded::rgb)),
	          translate_with(addOn.translate, two_pixel_psd(7, 4, 8, false)).output);
}

TEST(TarnwickTranslate, EveryLoadReadsTheSettingsFileAnew)
{
	const Bytes psd = two_pixel_psd(3, 4, 8, false);
	for (bool alpha4 : {true, false, true}) {
		TarnwickAddOn addOn(settings_file(alpha4, 1).c_str());
		ASSERT_EQ("", addOn.Error());
		EXPECT_EQ(
		    concat(bitmap_header(2, 1), two_pixel_result(alpha4 ? decoded::rgba : decoded::rgb)),
		    translate_with(addOn.translate, psd).output);
	}
}

struct refused_case {
	const char* what;
	Bytes psd;
};

void PrintTo(const refused_case& c, std::ostream* os)
{
	*os << c.what;
}

Bytes with_header(uint16_t mode, uint16_t channels, uint16_t depth, uint32_t width, uint32_t height)
{
	psdtest::PsdLayout layout = psdtest::psdLayout(mode, depth, channels, width, height);
	Bytes psd = psdtest::psdFrontMatter(layout);
	psdtest::appendBig16(psd, 0);
	psd.resize(psd.size() + 64, 0x11);
	return psd;
}

Bytes with_compression(uint16_t mode, uint16_t channels, uint16_t depth, uint16_t compression)
{
	psdtest::PsdLayout layout = psdtest::psdLayout(mode, depth, channels, 2, 1);
	if (mode == 2)
		layout.colorModeData.resize(768);
	Bytes psd = psdtest::psdFrontMatter(layout);
	psdtest::appendBig16(psd, compression);
	psd.resize(psd.size() + 64, 0x22);
	return psd;
}

Bytes cut(Bytes psd, size_t size)
{
	psd.resize(size);
	return psd;
}

Bytes indexed_with_palette_bytes(size_t size)
{
	psdtest::PsdLayout layout;
	layout.mode = 2;
	layout.channels = 1;
	layout.width = 2;
	layout.colorModeData.resize(size);
	return psdtest::psdRaw(layout, {{0, 1}});
}

class TarnwickRefusal : public testing::TestWithParam<refused_case> {};

// B_ERROR and not one byte written: neither a header without pixels nor
// pixels that no decoder wrote.
TEST_P(TarnwickRefusal, FailsWithoutWriting)
{
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	translation result = translate_with(addOn.translate, GetParam().psd);
	EXPECT_EQ(B_ERROR, result.status);
	EXPECT_EQ(0, result.writes);
	EXPECT_TRUE(result.output.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Images, TarnwickRefusal,
    testing::Values(
        refused_case{"no colour mode 5", with_header(5, 3, 8, 2, 1)},
        refused_case{"no colour mode 6", with_header(6, 3, 8, 2, 1)},
        refused_case{"no colour mode 10", with_header(10, 3, 8, 2, 1)},
        refused_case{"no colour mode 65535", with_header(65535, 3, 8, 2, 1)},
        refused_case{"bitmap of depth 8", with_header(0, 1, 8, 2, 1)},
        refused_case{"bitmap of depth 0", with_header(0, 1, 0, 2, 1)},
        refused_case{"indexed of depth 16", with_compression(2, 1, 16, 0)},
        refused_case{"grayscale of depth 1", with_header(1, 1, 1, 2, 1)},
        refused_case{"indexed of depth 32", with_header(2, 1, 32, 2, 1)},
        refused_case{"RGB of depth 1", with_header(3, 3, 1, 2, 1)},
        refused_case{"RGB of depth 0", with_header(3, 3, 0, 2, 1)},
        refused_case{"CMYK of depth 32", with_header(4, 4, 32, 2, 1)},
        refused_case{"multichannel of depth 4", with_header(7, 3, 4, 2, 1)},
        refused_case{"duotone of depth 1", with_header(8, 1, 1, 2, 1)},
        refused_case{"Lab of depth 1", with_header(9, 3, 1, 2, 1)},
        refused_case{"width 0", with_header(3, 3, 8, 0, 1)},
        refused_case{"height 0", with_header(1, 1, 8, 5, 0)},
        refused_case{"bitmap width 0", with_header(0, 1, 1, 0, 7)},
        refused_case{"exactly 2^32 pixel bytes", with_header(3, 3, 8, 65536, 16384)},
        refused_case{"2^32 pixel bytes in one row", with_header(1, 1, 8, 0x40000000, 1)},
        refused_case{"largest width and height", with_header(3, 3, 8, 0xFFFFFFFF, 0xFFFFFFFF)},
        refused_case{"CMYK of 3 channels", two_pixel_psd(4, 3, 8, false)},
        refused_case{"CMYK of 1 channel", two_pixel_psd(4, 1, 8, true)},
        refused_case{"CMYK of no channels", with_header(4, 0, 8, 2, 1)},
        refused_case{"RGB compression 4", with_compression(3, 3, 8, 4)},
        refused_case{"RGB with alpha compression 5", with_compression(3, 4, 8, 5)},
        refused_case{"grayscale compression 65535", with_compression(1, 1, 16, 65535)},
        refused_case{"indexed compression 4", with_compression(2, 1, 8, 4)},
        refused_case{"CMYK compression 4", with_compression(4, 4, 8, 4)},
        refused_case{"bitmap compression 256", with_compression(0, 1, 1, 256)},
        refused_case{"multichannel compression 4", with_compression(7, 3, 8, 4)},
        refused_case{"duotone compression 4", with_compression(8, 1, 8, 4)},
        refused_case{"Lab compression 4", with_compression(9, 3, 8, 4)},
        refused_case{"25-byte header", cut(two_pixel_psd(3, 3, 8, false), 25)},
        refused_case{"empty stream", Bytes()},
        refused_case{"cut inside the colour mode data length",
                     cut(two_pixel_psd(3, 3, 8, false), 28)},
        refused_case{"cut inside the layer section length", cut(two_pixel_psd(3, 3, 8, false), 36)},
        refused_case{"cut inside the compression word", cut(two_pixel_psd(3, 3, 8, false), 39)},
        refused_case{"indexed without palette", indexed_with_palette_bytes(0)},
        refused_case{"indexed with a 1024-byte palette", indexed_with_palette_bytes(1024)}));

TEST(TarnwickTranslate, OtherOutputTypesAreRefusedWithoutReadingOrWriting)
{
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	const Bytes psd = two_pixel_psd(3, 3, 8, false);
	for (uint32 outType : {0x70736420u, 1u, 0xFFFFFFFFu}) {
		CountingInput input(psd);
		LimitedOutput output;
		EXPECT_EQ(B_NO_TRANSLATOR, addOn.translate(&input, nullptr, nullptr, outType, &output));
		EXPECT_EQ(0, input.Reads());
		EXPECT_EQ(0, output.Writes());
	}
}

TEST(TarnwickTranslate, ShortPixelWriteFailsAfterBothWrites)
{
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	const Bytes full = concat(bitmap_header(2, 1), two_pixel_result(decoded::rgb));
	translation result = translate_with(addOn.translate, two_pixel_psd(3, 3, 8, false), 0, 36);
	EXPECT_EQ(B_ERROR, result.status);
	EXPECT_EQ(2, result.writes);
	EXPECT_EQ(Bytes(full.begin(), full.begin() + 36), result.output);
}

TEST(TarnwickTranslate, ShortHeaderWriteFailsWithoutWritingPixels)
{
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	translation result = translate_with(addOn.translate, two_pixel_psd(3, 3, 8, false), 0, 10);
	EXPECT_EQ(B_ERROR, result.status);
	EXPECT_EQ(1, result.writes);
	const Bytes header = bitmap_header(2, 1);
	EXPECT_EQ(Bytes(header.begin(), header.begin() + 10), result.output);
}

// Image data cut short decodes the same whatever the file decoded before it:
// nothing of an earlier image shows through the missing part.
TEST(TarnwickTranslate, TruncatedImageDataShowsNothingOfTheImageBefore)
{
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	psdtest::PsdLayout layout;
	layout.width = 64;
	layout.height = 64;
	const Bytes bright =
	    psdtest::psdRaw(layout, {Bytes(64 * 64, 0xEE), Bytes(64 * 64, 0xDD), Bytes(64 * 64, 0xCC)});
	const Bytes cutShort = cut(
	    psdtest::psdRaw(layout, {Bytes(64 * 64, 0x01), Bytes(64 * 64, 0x02), Bytes(64 * 64, 0x03)}),
	    40 + 64 * 64 + 100);

	const translation alone = translate_with(addOn.translate, cutShort);
	ASSERT_EQ(B_OK, alone.status);
	ASSERT_EQ(B_OK, translate_with(addOn.translate, bright).status);
	EXPECT_EQ(alone.output, translate_with(addOn.translate, cutShort).output);
}

// Translate may run on several host threads at once: each decode must see
// only its own stream.
TEST(TarnwickTranslate, ConcurrentTranslationsKeepTheirImagesApart)
{
	TarnwickAddOn addOn(settings_file(true, 2).c_str());
	ASSERT_EQ("", addOn.Error());
	struct job {
		Bytes psd;
		Bytes expected;
	};
	std::vector<job> jobs;
	const table_row rows[] = {
	    {1, 1, 16, true, 2, decoded::gray},  {3, 4, 8, true, 2, decoded::rgba},
	    {3, 3, 16, true, 2, decoded::rgb},   {7, 4, 8, true, 2, decoded::cmyk},
	    {0, 1, 1, true, 2, decoded::bitmap}, {2, 1, 8, true, 2, decoded::indexed}};
	for (const table_row& row : rows) {
		for (bool packed : {false, true})
			jobs.push_back({two_pixel_psd(row.mode, row.channels, row.depth, packed),
			                concat(bitmap_header(2, 1), two_pixel_result(row.kind))});
	}
	std::vector<int> mismatches(jobs.size(), 0);
	std::vector<std::thread> threads;
	for (size_t i = 0; i < jobs.size(); i++) {
		threads.emplace_back([&, i] {
			for (int round = 0; round < 200; round++) {
				translation result = translate_with(addOn.translate, jobs[i].psd);
				if (result.status != B_OK || result.output != jobs[i].expected)
					mismatches[i]++;
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	EXPECT_EQ(std::vector<int>(jobs.size(), 0), mismatches);
}

} // namespace
