// Colour management through the add-on as hosts ask for it: the shared
// corpus's colour files against lcms2's own conversions, Photoshop's values
// for SWOP and Lab swatches, the fallbacks for profiles that cannot be used
// and for CMYK without one, what the host is told, 16-bit samples used
// whole and reduced readings averaged before they are converted.
#include "TarnwickAddOn.h"

#include <BitmapStream.h>
#include <DataIO.h>
#include <Message.h>
#include <PsdWriter.h>
#include <Tarnwick.h>
#include <TestProfiles.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using psdtest::Bytes;

const char* const kSystemCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const uint16 kIccProfile = 1039;
enum { kGray = 1, kRGB = 3, kCMYK = 4, kLab = 9 };

struct Picture {
	status_t status = B_ERROR;
	std::vector<uint8> pixels; // blue, green, red, alpha
	BMessage extension;
};

Bytes file_bytes(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A one-row document whose pixels are the given samples (8- or 16-bit,
// channel by channel), with the profile when one is given.
Bytes document(uint16 mode, uint16 depth, const std::vector<std::vector<uint16>>& pixels,
               const Bytes& profile = Bytes())
{
	const uint16 channels = (uint16)pixels[0].size();
	psdtest::PsdLayout layout = psdtest::psdLayout(mode, depth, channels, (uint32)pixels.size(), 1);
	if (!profile.empty())
		layout.imageResources = psdtest::imageResource(kIccProfile, profile);
	std::vector<Bytes> planes(channels);
	for (const std::vector<uint16>& pixel : pixels) {
		for (uint16 c = 0; c < channels; c++) {
			if (depth == 16)
				planes[c].push_back((uint8)(pixel[c] >> 8));
			planes[c].push_back((uint8)pixel[c]);
		}
	}
	return psdtest::psdRaw(layout, planes);
}

Picture translate(const TarnwickAddOn& addon, const Bytes& psd, int32 request,
                  const BMessage& options = BMessage())
{
	Picture picture;
	picture.extension = options;
	if (request != 0)
		picture.extension.AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, request);
	BMemoryIO in(psd.data(), psd.size());
	BMallocIO out;
	picture.status = addon.translate(&in, nullptr, &picture.extension, B_TRANSLATOR_BITMAP, &out);
	const uint8* bytes = (const uint8*)out.Buffer();
	if (picture.status == B_OK && out.BufferLength() >= sizeof(TranslatorBitmap))
		picture.pixels.assign(bytes + sizeof(TranslatorBitmap), bytes + out.BufferLength());
	return picture;
}

// Red, green, blue of pixel i.
std::vector<int> rgb(const Picture& picture, size_t i)
{
	const uint8* p = picture.pixels.data() + 4 * i;
	return {p[2], p[1], p[0]};
}

bool told_srgb(const Picture& picture)
{
	bool srgb = false;
	return picture.extension.FindBool(B_TRANSLATOR_EXT_COLOR_SRGB, &srgb) == B_OK && srgb;
}

std::string note(const Picture& picture)
{
	const char* text = nullptr;
	return picture.extension.FindString(B_TRANSLATOR_EXT_COLOR_NOTE, &text) == B_OK ? text : "";
}

// The add-on loaded with TARNWICK_CMYK_PROFILE as given (null: unset), which
// it reads once.
class CmykProfileHome {
public:
	explicit CmykProfileHome(const char* path)
	{
		if (path != nullptr)
			setenv("TARNWICK_CMYK_PROFILE", path, 1);
		else
			unsetenv("TARNWICK_CMYK_PROFILE");
	}
	~CmykProfileHome() { unsetenv("TARNWICK_CMYK_PROFILE"); }
};

bool has_system_cmyk()
{
	return std::filesystem::exists(kSystemCmyk);
}

TEST(Colour, CorpusMatchesLcms2)
{
	const std::string folder = std::string(SHARED_CORPUS_DIR) + "/colour";
	if (!std::filesystem::exists(folder))
		GTEST_SKIP() << "no corpus at " << folder;
	ASSERT_TRUE(has_system_cmyk()) << kSystemCmyk << " (Debian's libgs-common) is needed";
	TarnwickAddOn addon;
	ASSERT_EQ(addon.Error(), "");
	BMessage merged;
	merged.AddBool(TARNWICK_EXT_LAYERS, false);
	int files = 0;
	for (const auto& entry : std::filesystem::directory_iterator(folder)) {
		const std::string path = entry.path().string();
		// Its reference reads L from 0 to 1 rather than 0 to 100; the Lab
		// swatches below check Lab.
		if (entry.path().extension() != ".psd" || path.find("_lab.psd") != std::string::npos)
			continue;
		SCOPED_TRACE(path);
		files++;
		const Picture got = translate(addon, file_bytes(path), B_TRANSLATOR_COLOR_SRGB, merged);
		ASSERT_EQ(got.status, B_OK);
		png_image ref = {};
		ref.version = PNG_IMAGE_VERSION;
		const std::string refPath = path.substr(0, path.size() - 4) + ".ref.png";
		ASSERT_TRUE(png_image_begin_read_from_file(&ref, refPath.c_str()));
		ref.format = PNG_FORMAT_RGB;
		std::vector<uint8> refPixels(PNG_IMAGE_SIZE(ref));
		ASSERT_TRUE(png_image_finish_read(&ref, nullptr, refPixels.data(), 0, nullptr));
		const size_t count = (size_t)ref.width * ref.height;
		ASSERT_EQ(got.pixels.size(), count * 4);
		// The pixels shown opaque, or all where none is.
		bool anyOpaque = false;
		for (size_t i = 0; i < count; i++)
			anyOpaque |= got.pixels[4 * i + 3] == 255;
		double sum = 0;
		std::vector<int> worst;
		for (size_t i = 0; i < count; i++) {
			if (anyOpaque && got.pixels[4 * i + 3] != 255)
				continue;
			int largest = 0;
			const std::vector<int> ours = rgb(got, i);
			for (int c = 0; c < 3; c++) {
				const int d = std::abs(ours[c] - refPixels[3 * i + c]);
				sum += d;
				largest = std::max(largest, d);
			}
			worst.push_back(largest);
		}
		std::sort(worst.begin(), worst.end());
		EXPECT_LE(sum / (3.0 * worst.size()), 0.5);
		EXPECT_LE(worst[worst.size() * 98 / 100], 2);
	}
	EXPECT_GE(files, 17);
}

TEST(Colour, PhotoshopSwatches)
{
	ASSERT_TRUE(has_system_cmyk()) << kSystemCmyk << " (Debian's libgs-common) is needed";
	TarnwickAddOn addon;
	// Ghostscript's SWOP profile, as U.S. Web Coated (SWOP) v2 shows them:
	// paper, cyan, magenta, yellow, black; inks stored inverted.
	const Picture cmyk = translate(addon,
	                               document(kCMYK, 8,
	                                        {{255, 255, 255, 255},
	                                         {0, 255, 255, 255},
	                                         {255, 0, 255, 255},
	                                         {255, 255, 0, 255},
	                                         {255, 255, 255, 0}},
	                                        file_bytes(kSystemCmyk)),
	                               B_TRANSLATOR_COLOR_SRGB);
	ASSERT_EQ(cmyk.status, B_OK);
	const std::vector<std::vector<int>> swop = {
	    {255, 255, 255}, {0, 174, 239}, {236, 0, 140}, {255, 242, 0}, {35, 31, 32}};
	for (size_t i = 0; i < swop.size(); i++)
		EXPECT_EQ(rgb(cmyk, i), swop[i]) << i;

	// Lab as 8-bit samples: L 0 to 100 over 0 to 255, a and b plus 128.
	const Picture lab = translate(
	    addon,
	    document(kLab, 8, {{255, 128, 128}, {0, 128, 128}, {128, 128, 128}, {138, 209, 198}}),
	    B_TRANSLATOR_COLOR_SRGB);
	ASSERT_EQ(lab.status, B_OK);
	EXPECT_EQ(rgb(lab, 0), std::vector<int>({255, 255, 255}));
	EXPECT_EQ(rgb(lab, 1), std::vector<int>({0, 0, 0}));
	EXPECT_EQ(rgb(lab, 2), std::vector<int>({119, 119, 119}));
	// Lab 54/81/70, Photoshop's sRGB red.
	const std::vector<int> red = rgb(lab, 3);
	EXPECT_GE(red[0], 253);
	EXPECT_LE(std::max(red[1], red[2]), 2);
	EXPECT_TRUE(told_srgb(lab));
}

TEST(Colour, UnusableProfilesAreIgnored)
{
	TarnwickAddOn addon;
	const Bytes wide = psdtest::gammaProfile(2.2);
	const std::vector<std::vector<uint16>> pixels = {{200, 30, 90}, {10, 250, 128}};

	Bytes damaged(wide.begin(), wide.begin() + wide.size() / 2);
	const Picture plain = translate(addon, document(kRGB, 8, pixels), 0);
	const Picture broken =
	    translate(addon, document(kRGB, 8, pixels, damaged), B_TRANSLATOR_COLOR_SRGB);
	ASSERT_EQ(broken.status, B_OK);
	EXPECT_EQ(broken.pixels, plain.pixels);
	EXPECT_EQ(note(broken), "the embedded colour profile is damaged and was ignored");
	EXPECT_TRUE(told_srgb(broken));

	// An RGB profile in a CMYK document: as if it had none.
	const std::vector<std::vector<uint16>> inks = {{0, 255, 255, 255}, {128, 60, 200, 90}};
	const Picture untagged = translate(addon, document(kCMYK, 8, inks), B_TRANSLATOR_COLOR_SRGB);
	const Picture other = translate(addon, document(kCMYK, 8, inks, wide), B_TRANSLATOR_COLOR_SRGB);
	ASSERT_EQ(other.status, B_OK);
	EXPECT_EQ(other.pixels, untagged.pixels);
	EXPECT_EQ(note(other), "the embedded colour profile is not for CMYK images and was ignored");
	EXPECT_EQ(note(untagged), "");
}

TEST(Colour, UntaggedCmykThroughTheSystemProfileOrTheFormula)
{
	ASSERT_TRUE(has_system_cmyk()) << kSystemCmyk << " (Debian's libgs-common) is needed";
	const Bytes psd = document(kCMYK, 8, {{255, 255, 255, 255}, {0, 255, 255, 255}});
	std::vector<int> cyan;
	{
		CmykProfileHome home(nullptr);
		TarnwickAddOn addon;
		const Picture swop = translate(addon, psd, B_TRANSLATOR_COLOR_SRGB);
		ASSERT_EQ(swop.status, B_OK);
		EXPECT_EQ(rgb(swop, 0), std::vector<int>({255, 255, 255}));
		EXPECT_EQ(rgb(swop, 1), std::vector<int>({0, 174, 239}));
	}
	{
		CmykProfileHome home("");
		TarnwickAddOn addon;
		const Picture formula = translate(addon, psd, B_TRANSLATOR_COLOR_SRGB);
		ASSERT_EQ(formula.status, B_OK);
		EXPECT_EQ(rgb(formula, 0), std::vector<int>({255, 255, 255}));
		EXPECT_EQ(rgb(formula, 1), std::vector<int>({0, 255, 255}));
		EXPECT_TRUE(told_srgb(formula));
		// Without the request: paper white 254, as ever.
		EXPECT_EQ(rgb(translate(addon, psd, 0), 0), std::vector<int>({254, 254, 254}));
	}
}

TEST(Colour, HostsAreToldWhatTheColoursAre)
{
	TarnwickAddOn addon;
	const Bytes wide = psdtest::gammaProfile(2.2);
	const Bytes psd = document(kRGB, 8, {{200, 30, 90}, {10, 250, 128}}, wide);
	const Picture plain = translate(addon, psd, 0);
	EXPECT_FALSE(plain.extension.HasBool(B_TRANSLATOR_EXT_COLOR_SRGB));
	EXPECT_FALSE(plain.extension.HasData(B_TRANSLATOR_EXT_COLOR_PROFILE, B_RAW_TYPE));

	const Picture converted = translate(addon, psd, B_TRANSLATOR_COLOR_SRGB);
	EXPECT_TRUE(told_srgb(converted));
	EXPECT_NE(converted.pixels, plain.pixels);

	const Picture kept = translate(addon, psd, B_TRANSLATOR_COLOR_KEEP_PROFILE);
	EXPECT_EQ(kept.pixels, plain.pixels);
	EXPECT_FALSE(told_srgb(kept));
	const void* profile = nullptr;
	ssize_t size = 0;
	ASSERT_EQ(
	    kept.extension.FindData(B_TRANSLATOR_EXT_COLOR_PROFILE, B_RAW_TYPE, 0, &profile, &size),
	    B_OK);
	EXPECT_EQ(Bytes((const uint8*)profile, (const uint8*)profile + size), wide);
}

// Linear gray: 16-bit samples whose high byte is 0 still light up.
TEST(Colour, SixteenBitSamplesAreUsedWhole)
{
	TarnwickAddOn addon;
	const Picture gray = translate(
	    addon, document(kGray, 16, {{0x0000}, {0x00FF}}, psdtest::gammaProfile(1.0, true)),
	    B_TRANSLATOR_COLOR_SRGB);
	ASSERT_EQ(gray.status, B_OK);
	EXPECT_EQ(rgb(gray, 0), std::vector<int>({0, 0, 0}));
	// 255 x srgb(255 / 65535), rounded.
	EXPECT_EQ(rgb(gray, 1), std::vector<int>({13, 13, 13}));
}

// The mean of two inks is converted, not the mean of their colours; and
// the mean of 8-bit samples is a 16-bit one, for a matrix-shaper's curves
// too.
TEST(Colour, ReducedReadingsAverageTheSamples)
{
	ASSERT_TRUE(has_system_cmyk()) << kSystemCmyk << " (Debian's libgs-common) is needed";
	TarnwickAddOn addon;
	const Bytes swop = file_bytes(kSystemCmyk);
	const Bytes wide = psdtest::gammaProfile(2.2);
	struct Case {
		uint16 mode;
		std::vector<std::vector<uint16>> pixels;
		std::vector<uint16> mean;
		const Bytes& profile;
	};
	const Case cases[] = {
	    {kCMYK, {{0, 255, 255, 255}, {254, 255, 255, 255}}, {127, 255, 255, 255}, swop},
	    {kRGB, {{0, 200, 40}, {254, 100, 40}}, {127, 150, 40}, wide},
	};
	BMessage box;
	box.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, BPoint(1, 1));
	for (const Case& c : cases) {
		const Picture reduced = translate(addon, document(c.mode, 8, c.pixels, c.profile),
		                                  B_TRANSLATOR_COLOR_SRGB, box);
		const Picture mean =
		    translate(addon, document(c.mode, 8, {c.mean}, c.profile), B_TRANSLATOR_COLOR_SRGB);
		ASSERT_EQ(reduced.status, B_OK);
		ASSERT_EQ(reduced.pixels.size(), 4u);
		// Within the rounding of a 16-bit sample against an 8-bit one.
		for (int channel = 0; channel < 3; channel++)
			EXPECT_NEAR(rgb(reduced, 0)[channel], rgb(mean, 0)[channel], 1) << c.mode;
	}
}

} // namespace
