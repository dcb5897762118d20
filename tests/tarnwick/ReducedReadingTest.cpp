// Reduced readings of the shared corpus through the roster, each against
// the full reading of the same file scaled down here by an area average of
// its own, in floating point: within 1 a channel everywhere.
#include "TarnwickAddOn.h"

#include <BitmapStream.h>
#include <File.h>
#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

struct Bitmap {
	uint32 width = 0;
	uint32 height = 0;
	std::vector<uint8> pixels; // blue, green, red, alpha
};

status_t translate(BTranslatorRoster& roster, const std::string& path, const BMessage& options,
                   Bitmap* bitmap)
{
	BFile input(path.c_str(), B_READ_ONLY);
	translator_info info;
	status_t status = input.InitCheck();
	if (status == B_OK)
		status = roster.Identify(&input, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP);
	BMallocIO output;
	BMessage extension(options);
	if (status == B_OK)
		status = roster.Translate(&input, &info, &extension, &output, B_TRANSLATOR_BITMAP);
	if (status != B_OK)
		return status;
	BPrivate::BitmapImage image;
	uint32 dataSize = 0;
	std::string reason;
	const uint8* stream = (const uint8*)output.Buffer();
	if (output.BufferLength() < sizeof(TranslatorBitmap) ||
	    !BPrivate::read_bitmap_header(stream, &image, &dataSize, &reason) ||
	    output.BufferLength() != sizeof(TranslatorBitmap) + dataSize)
		return B_ERROR;
	bitmap->width = image.width;
	bitmap->height = image.height;
	stream += sizeof(TranslatorBitmap);
	bitmap->pixels.assign(stream, stream + dataSize);
	return B_OK;
}

// The parts of source pixels that output pixel `index` of `out` covers when
// `in` pixels are shrunk to `out`.
std::vector<std::pair<uint32, double>> cover(uint32 index, uint32 in, uint32 out)
{
	const double scale = (double)in / out;
	const double from = index * scale, to = (index + 1) * scale;
	std::vector<std::pair<uint32, double>> parts;
	for (uint32 i = (uint32)from; i < in && i < to; i++)
		parts.push_back({i, std::min<double>(i + 1, to) - std::max<double>(i, from)});
	return parts;
}

// Colours weighted by alpha, as the picture shows them.
Bitmap area_average(const Bitmap& full, uint32 width, uint32 height)
{
	Bitmap small;
	small.width = width;
	small.height = height;
	for (uint32 y = 0; y < height; y++) {
		const auto rows = cover(y, full.height, height);
		for (uint32 x = 0; x < width; x++) {
			double sums[4] = {}, area = 0;
			for (const auto& row : rows) {
				for (const auto& column : cover(x, full.width, width)) {
					const uint8* p =
					    &full.pixels[((size_t)row.first * full.width + column.first) * 4];
					const double weight = row.second * column.second;
					for (int c = 0; c < 3; c++)
						sums[c] += p[c] * p[3] * weight;
					sums[3] += p[3] * weight;
					area += weight;
				}
			}
			for (int c = 0; c < 3; c++)
				small.pixels.push_back(sums[3] == 0 ? 0 : (uint8)std::lround(sums[c] / sums[3]));
			small.pixels.push_back((uint8)std::lround(sums[3] / area));
		}
	}
	return small;
}

std::vector<std::string> images_in(const std::string& folder)
{
	std::vector<std::string> names;
	if (DIR* dir = opendir(folder.c_str())) {
		while (dirent* entry = readdir(dir)) {
			const std::string name = entry->d_name;
			const std::string extension = name.size() > 4 ? name.substr(name.size() - 4) : "";
			if (extension == ".psd" || extension == ".psb")
				names.push_back(name);
		}
		closedir(dir);
	}
	std::sort(names.begin(), names.end());
	return names;
}

void expect_reduced_readings_agree(const std::string& folder, const BMessage& options)
{
	const std::string corpus = std::string(SHARED_CORPUS_DIR) + "/" + folder;
	struct stat st;
	if (stat(corpus.c_str(), &st) != 0)
		GTEST_SKIP() << "no shared corpus at " << corpus;
	const std::vector<std::string> files = images_in(corpus);
	ASSERT_FALSE(files.empty());

	TemporaryFolder settings;
	SettingsHome home(settings.Path());
	BTranslatorRoster roster;
	ASSERT_EQ(B_OK, roster.AddTranslators(TRANSLATORS_DIR));
	int reduced = 0;
	for (const std::string& file : files) {
		Bitmap full;
		const status_t fullStatus = translate(roster, corpus + "/" + file, options, &full);
		const uint32 longer = std::max(full.width, full.height);
		// A fractional ratio, and one that leaves a pixel or two a side.
		for (uint32 box : {longer * 2 / 5, 2u}) {
			if (box < 1)
				continue;
			SCOPED_TRACE(file + " in a box of " + std::to_string(box));
			BMessage boxed(options);
			boxed.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, BPoint(box, box));
			Bitmap small;
			const status_t status = translate(roster, corpus + "/" + file, boxed, &small);
			ASSERT_EQ(fullStatus, status);
			if (status != B_OK || longer <= box)
				continue;
			const double scale = std::min((double)box / full.width, (double)box / full.height);
			ASSERT_EQ(small.width, (uint32)std::max(1L, std::lround(full.width * scale)));
			ASSERT_EQ(small.height, (uint32)std::max(1L, std::lround(full.height * scale)));
			const Bitmap expected = area_average(full, small.width, small.height);
			int worst = 0;
			for (size_t i = 0; i < small.pixels.size(); i++)
				worst = std::max(worst, std::abs(small.pixels[i] - expected.pixels[i]));
			EXPECT_LE(worst, 1);
			reduced++;
		}
	}
	EXPECT_GT(reduced, 0);
}

TEST(TarnwickReducedReading, CorpusMergedImagesAgreeWithFullReadingsScaledDown)
{
	expect_reduced_readings_agree("psd", BMessage());
}

TEST(TarnwickReducedReading, LargeFloatAndZipFilesAgreeWithFullReadingsScaledDown)
{
	expect_reduced_readings_agree("beyond", BMessage());
}

TEST(TarnwickReducedReading, RenderedLayersAgreeWithFullRenderingsScaledDown)
{
	BMessage layers;
	layers.AddBool(TARNWICK_EXT_LAYERS, true);
	expect_reduced_readings_agree("layers", layers);
	expect_reduced_readings_agree("unreal", BMessage());
}

// A reduced reading's time follows the area, so a header alone must not
// make it huge; an empty box is the host's mistake.
TEST(TarnwickReducedReading, HugeAreasInTinyFilesAndEmptyBoxesAreRefused)
{
	// A PSB header of 300000 x 300000 RGB PackBits pixels and no data.
	const uint8 header[] = {'8',  'B',  'P',  'S', 0,    2,    0,    0, 0, 0, 0, 0, 0, 3, 0,
	                        0x04, 0x93, 0xE0, 0,   0x04, 0x93, 0xE0, 0, 8, 0, 3, 0, 0, 0, 0,
	                        0,    0,    0,    0,   0,    0,    0,    0, 0, 0, 0, 0, 0, 1};
	BTranslatorRoster roster;
	ASSERT_EQ(B_OK, roster.AddTranslators(TRANSLATORS_DIR));
	for (BPoint box : {BPoint(256, 256), BPoint(0, 64)}) {
		BMemoryIO input(header, sizeof(header));
		translator_info info;
		ASSERT_EQ(B_OK, roster.Identify(&input, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP));
		BMessage extension;
		extension.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, box);
		BMallocIO output;
		EXPECT_NE(B_OK, roster.Translate(&input, &info, &extension, &output, B_TRANSLATOR_BITMAP));
		const char* reason = nullptr;
		ASSERT_EQ(B_OK, extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason));
		EXPECT_NE(nullptr, strstr(reason, box.x > 0 ? "too short" : "no pixels")) << reason;
	}
}

} // namespace
