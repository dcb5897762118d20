// Adjustment layers' transforms at a few points. Where the corpus shows what
// Photoshop made of a pixel (its merged image over the layers below the
// adjustment), those are the expected values; the other kinds are checked
// for the properties that their settings promise.

#include <render/adjust/PSDAdjustmentKinds.h>

#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

struct Block {
	std::vector<uint8> bytes;
	Block& u8(uint8 v)
	{
		bytes.push_back(v);
		return *this;
	}
	Block& u16(int v) { return u8((uint8)(v >> 8)).u8((uint8)v); }
	Block& u32(uint32 v) { return u16((int)(v >> 16)).u16((int)(v & 0xffff)); }
	Block& f32(float v)
	{
		uint32 bits;
		memcpy(&bits, &v, 4);
		return u32(bits);
	}
	Block& hex(const char* text)
	{
		for (; text[0] && text[1]; text += 2)
			u8((uint8)std::stoi(std::string(text, 2), nullptr, 16));
		return *this;
	}
};

const PSDRenderTarget kRGB = {1, 1, 3, PSD_MODE_RGB, 8, false};
const PSDRenderTarget kGray = {1, 1, 1, PSD_MODE_GRAYSCALE, 8, false};

// One pixel of 8-bit values through the adjustment, back as 8-bit values.
std::vector<int> run(const PSDAdjustment& adjustment, std::vector<int> pixel)
{
	float values[4];
	float* planes[4] = {values, values + 1, values + 2, values + 3};
	for (size_t c = 0; c < pixel.size(); c++)
		values[c] = pixel[c] / 255.0f;
	adjustment.Apply(planes, 1);
	for (size_t c = 0; c < pixel.size(); c++)
		pixel[c] = (int)(values[c] * 255 + 0.5f);
	return pixel;
}

// Each channel within `tolerance` of Photoshop's byte.
void expectNear(const std::vector<int>& expected, const std::vector<int>& got, int tolerance)
{
	ASSERT_EQ(expected.size(), got.size());
	for (size_t c = 0; c < expected.size(); c++)
		EXPECT_NEAR(expected[c], got[c], tolerance) << "channel " << c;
}

PSDDescriptor descriptor(std::initializer_list<std::pair<const char*, double>> numbers)
{
	PSDDescriptor d;
	for (const auto& item : numbers) {
		d.items.emplace_back();
		d.items.back().key = item.first;
		d.items.back().value.type = "doub";
		d.items.back().value.number = item.second;
	}
	return d;
}

TEST(PSDAdjustment, LevelsAndCurvesGiveWhatPhotoshopGave)
{
	// adjustments__levels_rgb.psd, its right strip: the composite's levels
	// after each channel's, blue with gamma 2.12.
	Block levels;
	levels.u16(2);
	for (int v :
	     {48, 135, 74, 141, 100, 81, 255, 99, 192, 100, 0, 128, 0, 255, 100, 0, 255, 78, 171, 212})
		levels.u16(v);
	auto adjustment = psdReadLevels(levels.bytes, kRGB);
	ASSERT_TRUE(adjustment);
	expectNear({113, 83, 97}, run(*adjustment, {0, 30, 0}), 1);
	expectNear({113, 74, 117}, run(*adjustment, {57, 20, 20}), 2);

	// adjustments__curves_rgb.psd: a composite curve (output, input pairs)
	// after a blue one, both natural splines.
	Block curves;
	curves.u8(0).u16(1).u32(0x9);
	curves.u16(4).u16(3).u16(26).u16(84).u16(55).u16(170).u16(171).u16(255).u16(255);
	curves.u16(3).u16(0).u16(0).u16(110).u16(167).u16(166).u16(255);
	adjustment = psdReadCurves(curves.bytes, kRGB);
	ASSERT_TRUE(adjustment);
	expectNear({3, 6, 107}, run(*adjustment, {20, 27, 100}), 1);
	expectNear({45, 146, 159}, run(*adjustment, {40, 100, 200}), 1);
	expectNear({166, 224, 45}, run(*adjustment, {160, 230, 60}), 1);
}

TEST(PSDAdjustment, PosterizeAndThresholdCutWherePhotoshopCuts)
{
	// adjustments__posterize_rgb.psd: 7 levels of bytes.
	auto posterize = psdReadPosterize(Block().u16(7).u16(0).bytes, kRGB);
	ASSERT_TRUE(posterize);
	expectNear({42, 85, 212}, run(*posterize, {73, 74, 183}), 0);
	expectNear({0, 170, 255}, run(*posterize, {36, 182, 255}), 0);

	// Luminosity weighs red, green and blue 30, 59 and 11 (the 16-bit file
	// shows it); a value on the level is white.
	auto threshold = psdReadThreshold(Block().u16(150).u16(0).bytes, kRGB);
	ASSERT_TRUE(threshold);
	expectNear({255, 255, 255}, run(*threshold, {0, 255, 30}), 0); // 150.45
	expectNear({0, 0, 0}, run(*threshold, {0, 254, 0}), 0);        // 149.86
	threshold = psdReadThreshold(Block().u16(60).u16(0).bytes, kGray);
	ASSERT_TRUE(threshold);
	expectNear({255}, run(*threshold, {60}), 0);
	expectNear({0}, run(*threshold, {59}), 0);
}

TEST(PSDAdjustment, ExposureAndLegacyBrightnessContrastGiveWhatPhotoshopGave)
{
	// adjustments__exposure_rgb.psd, two strips.
	auto exposure =
	    psdReadExposure(Block().u16(1).f32(2.03f).f32(0.0775f).f32(1.52f).u16(0).bytes, kRGB);
	ASSERT_TRUE(exposure);
	expectNear({119, 144, 193}, run(*exposure, {0, 40, 80}), 1);
	exposure =
	    psdReadExposure(Block().u16(1).f32(-0.04f).f32(0.4144f).f32(0.44f).u16(0).bytes, kRGB);
	ASSERT_TRUE(exposure);
	expectNear({104, 113, 135}, run(*exposure, {20, 60, 100}), 1);

	// adjustments__brightnesscontrast_legacy_rgb.psd and _grayscale.psd: a
	// stretch follows the shift, a squeeze comes before it.
	auto legacy =
	    psdReadBrightnessContrast(Block().u16(20).u16(57).u16(127).u16(0).bytes, nullptr, kRGB);
	ASSERT_TRUE(legacy);
	expectNear({4, 92, 173}, run(*legacy, {54, 92, 127}), 1);
	legacy =
	    psdReadBrightnessContrast(Block().u16(-23).u16(-26).u16(127).u16(0).bytes, nullptr, kGray);
	ASSERT_TRUE(legacy);
	expectNear({12}, run(*legacy, {3}), 1);
	expectNear({84}, run(*legacy, {100}), 1);
	expectNear({159}, run(*legacy, {200}), 1);
}

TEST(PSDAdjustment, HueSaturationRangesCombineAsPhotoshopCombinesThem)
{
	// adjustments__huesaturation_lightness_rgb.psd: ranges whose lightness
	// reaches +100 make a pixel the gray of its lightest channel, then the
	// master's -72 darkens it.
	auto lightness = psdReadHueSaturation(
	    Block()
	        .hex("0002000000000019000000000000ffb800cf0038006300b3000000000064000f002d004b00690000"
	             "00000000010b013b0157001b00000000005d0117002e006b009300000000004100c300e1013f0008"
	             "00000000006400520085009700ab00000000fff3")
	        .bytes,
	    kRGB);
	ASSERT_TRUE(lightness);
	expectNear({41, 41, 41}, run(*lightness, {114, 118, 146}), 1);
	expectNear({55, 55, 55}, run(*lightness, {196, 167, 176}), 1);

	// adjustments__huesaturation_saturation_rgb.psd: saturations of
	// overlapping ranges add up as stretches; -100 is gray.
	auto saturation = psdReadHueSaturation(
	    Block()
	        .hex("00020000fff60019000000000000000000cd00f5010201350000ff9c000000d600ed00f801110000"
	             "ffee0000013b01590010002e0000000f00000146015b002a004100000049000000f6011501440150"
	             "00000000000000d600f501130131000000000000")
	        .bytes,
	    kRGB);
	ASSERT_TRUE(saturation);
	expectNear({85, 51, 47}, run(*saturation, {71, 62, 61}), 1);
	expectNear({119, 77, 91}, run(*saturation, {106, 91, 96}), 2);
	expectNear({165, 31, 0}, run(*saturation, {109, 66, 56}), 1);
	expectNear({127, 127, 127}, run(*saturation, {120, 110, 144}), 1);
}

TEST(PSDAdjustment, ColourAdjustmentsKeepTheirPromises)
{
	// Black & white's default weights: red counts 40 %, yellow 60 %.
	auto blackWhite = psdReadBlackWhite(PSDDescriptor(), kRGB);
	ASSERT_TRUE(blackWhite);
	expectNear({102, 102, 102}, run(*blackWhite, {255, 0, 0}), 1);
	expectNear({153, 153, 153}, run(*blackWhite, {255, 255, 0}), 1);
	expectNear({90, 90, 90}, run(*blackWhite, {90, 90, 90}), 0);

	// A channel mixer that swaps red and blue and adds 10 % to green.
	Block mixer;
	mixer.u16(1).u16(0);
	for (int v : {0, 0, 100, 0, 0, 0, 100, 0, 0, 10, 100, 0, 0, 0, 0, 0, 0, 0, 100, 0})
		mixer.u16(v);
	auto mix = psdReadChannelMixer(mixer.bytes, kRGB);
	ASSERT_TRUE(mix);
	expectNear({30, 76, 10}, run(*mix, {10, 50, 30}), 1);

	// Photo filter: full density multiplies; preserving luminosity keeps it.
	auto filter = psdReadPhotoFilter(
	    Block().u16(2).u16(0).u16(65535).u16(32896).u16(0).u16(0).u32(100).u8(0).bytes, kRGB);
	ASSERT_TRUE(filter);
	expectNear({200, 100, 0}, run(*filter, {200, 200, 200}), 1);
	filter = psdReadPhotoFilter(
	    Block().u16(2).u16(0).u16(65535).u16(32896).u16(0).u16(0).u32(100).u8(1).bytes, kRGB);
	ASSERT_TRUE(filter);
	const std::vector<int> kept = run(*filter, {100, 100, 100});
	EXPECT_NEAR(100, 0.3 * kept[0] + 0.59 * kept[1] + 0.11 * kept[2], 1);
	EXPECT_GT(kept[0], kept[2]);

	// Gradient map, black to white: the luminosity, as a gray.
	Block map;
	map.u16(1).u8(0).u8(0).u32(0).u16(2);
	map.u32(0).u32(50).u16(0).u16(0).u16(0).u16(0).u16(0).u16(0);
	map.u32(4096).u32(50).u16(0).u16(65535).u16(65535).u16(65535).u16(0).u16(0);
	map.u16(0).u16(2).u16(0);
	auto gradient = psdReadGradientMap(map.bytes, kRGB);
	ASSERT_TRUE(gradient);
	expectNear({154, 154, 154}, run(*gradient, {0, 255, 30}), 1);

	// Settings at zero change nothing; colour balance that preserves
	// luminosity keeps it while it shifts the colour.
	Block selective;
	selective.u16(1).u16(0);
	for (int i = 0; i < 40; i++)
		selective.u16(0);
	auto selectiveColor = psdReadSelectiveColor(selective.bytes, kRGB);
	ASSERT_TRUE(selectiveColor);
	expectNear({12, 200, 99}, run(*selectiveColor, {12, 200, 99}), 0);
	Block balance;
	for (int v : {0, 0, 0, 50, 0, -50, 0, 0, 0})
		balance.u16(v);
	balance.u8(1);
	auto colorBalance = psdReadColorBalance(balance.bytes, kRGB);
	ASSERT_TRUE(colorBalance);
	const std::vector<int> warmer = run(*colorBalance, {128, 128, 128});
	EXPECT_GT(warmer[0], warmer[2] + 20);
	EXPECT_NEAR(128, 0.3 * warmer[0] + 0.59 * warmer[1] + 0.11 * warmer[2], 1);

	// Vibrance leaves grays alone and raises dull colours more than vivid ones.
	auto vibrance = psdReadVibrance(descriptor({{"vibrance", 50}}), kRGB);
	ASSERT_TRUE(vibrance);
	expectNear({77, 77, 77}, run(*vibrance, {77, 77, 77}), 0);
	const std::vector<int> dull = run(*vibrance, {140, 120, 120});
	const std::vector<int> vivid = run(*vibrance, {250, 10, 10});
	EXPECT_GT(dull[0] - dull[1], 30);
	EXPECT_LT(vivid[0] - vivid[1], 250);
}

TEST(PSDAdjustment, ColourLookupReadsCubeTables)
{
	// A 2 x 2 x 2 table that swaps red and blue, on a domain of 0 to 2.
	PSDDescriptor settings;
	settings.items.emplace_back();
	settings.items.back().key = "LUT3DFileData";
	settings.items.back().value.type = "tdta";
	const std::string cube = "TITLE \"swap\"\n# comment\nLUT_3D_SIZE 2\nDOMAIN_MAX 2 2 2\n"
	                         "0 0 0\n0 0 2\n0 2 0\n0 2 2\n2 0 0\n2 0 2\n2 2 0\n2 2 2\n";
	settings.items.back().value.data.assign(cube.begin(), cube.end());
	auto lookup = psdReadColorLookup(settings, kRGB);
	ASSERT_TRUE(lookup);
	expectNear({30, 128, 200}, run(*lookup, {200, 128, 30}), 1);

	// A table that claims more entries than its file holds is refused.
	const std::string claims = "LUT_3D_SIZE 129\n0 0 0\n";
	settings.items.back().value.data.assign(claims.begin(), claims.end());
	EXPECT_FALSE(psdReadColorLookup(settings, kRGB));
}

// Damaged blocks of every kind: cut short at every length, and counts far
// beyond what they hold. Each reader refuses or reads what is there, quickly.
TEST(PSDAdjustment, DamagedBlocksAreRefusedOrReadSafely)
{
	Block curves;
	curves.u8(0).u16(1).u32(0xffffffff).u16(3).u16(0).u16(0).u16(128).u16(100).u16(255).u16(255);
	Block map;
	map.u16(3).u8(0).u8(0).u32(0x4c6e7220).u32(2).u16(65).u16(66).u16(2);
	map.u32(0).u32(50).u16(0).u16(1).u16(2).u16(3).u16(0).u16(0);
	map.u32(4096).u32(50).u16(7).u16(5000).u16(100).u16(100).u16(0).u16(0);
	map.u16(1).u32(0).u32(50).u16(255).u16(2).u16(4096);
	const std::vector<std::vector<uint8>> blocks = {
	    curves.bytes,
	    map.bytes,
	    Block().u16(2).u16(0).u16(0).u16(0).u16(0).u16(0).u16(100).bytes,
	    Block().u16(1).f32(1).f32(0).f32(1).bytes,
	    Block().u16(2).u8(1).u8(0).u16(10).u16(20).u16(30).u16(40).u16(50).u16(60).bytes,
	    Block().u16(2).u16(7).u16(5000).u16(100).u16(100).u16(0).u32(50).u8(1).bytes,
	    Block().u16(1).u16(1).u16(100).u16(0).u16(0).u16(0).u16(0).bytes};
	const PSDRenderTarget targets[] = {kRGB, {1, 1, 4, PSD_MODE_CMYK, 16, false}, kGray};
	for (const std::vector<uint8>& whole : blocks) {
		for (size_t length = 0; length <= whole.size(); length++) {
			const PSDBlockData cut(whole.begin(), whole.begin() + length);
			for (const PSDRenderTarget& target : targets) {
				for (auto read : {psdReadLevels, psdReadCurves, psdReadExposure,
				                  psdReadHueSaturation, psdReadColorBalance, psdReadPhotoFilter,
				                  psdReadChannelMixer, psdReadPosterize, psdReadThreshold,
				                  psdReadGradientMap, psdReadSelectiveColor}) {
					auto adjustment = read(cut, target);
					if (adjustment) {
						const std::vector<int> out =
						    run(*adjustment, std::vector<int>((size_t)target.colours, 100));
						for (int v : out) {
							EXPECT_GE(v, 0);
							EXPECT_LE(v, 255);
						}
					}
				}
			}
		}
	}

	// Point and stop counts far past what the block holds.
	Block manyPoints;
	manyPoints.u8(0).u16(1).u32(1).u16(65535).u16(0).u16(0);
	EXPECT_FALSE(psdReadCurves(manyPoints.bytes, kRGB));
	Block manyStops;
	manyStops.u16(1).u8(0).u8(0).u32(0x7fffffff);
	EXPECT_FALSE(psdReadGradientMap(manyStops.bytes, kRGB));
	manyStops = Block();
	manyStops.u16(1).u8(0).u8(0).u32(0).u16(65535).u32(0);
	EXPECT_FALSE(psdReadGradientMap(manyStops.bytes, kRGB));
}

} // namespace
