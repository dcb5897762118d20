// Adjustment layers' transforms, from settings built here, at a few points.
// Where the corpus shows what Photoshop made of a pixel (its merged image
// over the layers below the adjustment), those are the expected values; the
// other kinds are checked for the properties that their settings promise.

#include <layers/adjustments/PSDAdjustmentSettings.h>
#include <render/adjust/PSDAdjustment.h>

#include <core/PSDCore.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

const PSDRenderTarget kRGB = {1, 1, 3, PSD_MODE_RGB, 8};
const PSDRenderTarget kGray = {1, 1, 1, PSD_MODE_GRAYSCALE, 8};
const PSDRenderTarget kCMYK16 = {1, 1, 4, PSD_MODE_CMYK, 16};
const PSDRenderTarget kRGB32 = {1, 1, 3, PSD_MODE_RGB, 32};

// Tables for colour lookups: the bytes of a file that locations point into.
class TableSource : public PSDRenderSource {
public:
	explicit TableSource(const std::string& file = std::string()) : fFile(file.begin(), file.end())
	{
	}

	bool ReadTable(const PSDBlock& where, std::vector<uint8>* data, uint64 limit) override
	{
		if (where.length > limit || where.offset > fFile.size() ||
		    where.length > fFile.size() - where.offset)
			return false;
		data->assign(fFile.begin() + where.offset, fFile.begin() + where.offset + where.length);
		return true;
	}

	// Adjustments read no channels.
	std::unique_ptr<PSDRowSource> OpenRows(const PSDLayerChannel&, uint32, uint32,
	                                       const PSDRect&) override
	{
		ADD_FAILURE() << "an adjustment asked for channel rows";
		return nullptr;
	}

private:
	std::vector<uint8> fFile;
};

template <class Kind>
std::unique_ptr<PSDAdjustment> make(Kind kind, const PSDRenderTarget& target = kRGB)
{
	TableSource none;
	return psdMakeAdjustment(PSDAdjustmentSettings{std::move(kind)}, target, none);
}

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

// A levels record as Photoshop shows it: levels of 255 and the gamma.
PSDLevelsRecord levels(int inputFloor, int inputCeiling, int outputFloor, int outputCeiling,
                       double gamma)
{
	return {inputFloor / 255.0, inputCeiling / 255.0, outputFloor / 255.0, outputCeiling / 255.0,
	        gamma};
}

// Curve points as (input, output) levels of 255.
std::vector<PSDCurvePoint> points(std::initializer_list<std::pair<int, int>> levels)
{
	std::vector<PSDCurvePoint> curve;
	for (const auto& point : levels)
		curve.push_back({point.first / 255.0, point.second / 255.0});
	return curve;
}

PSDHueRange hueRange(double fadeIn, double begin, double end, double fadeOut, double saturation,
                     double lightness)
{
	return {fadeIn, begin, end, fadeOut, {0, saturation / 100, lightness / 100}};
}

TEST(PSDAdjustment, LevelsAndCurvesGiveWhatPhotoshopGave)
{
	// adjustments__levels_rgb.psd, its right strip: the composite's levels
	// after each channel's, blue with gamma 2.12, to the level: every step
	// rounded, and the gamma's finite slope near black (2 gives 99, not 104).
	PSDLevelsSettings levelsSettings;
	levelsSettings.records = {levels(48, 135, 74, 141, 1), levels(81, 255, 99, 192, 1),
	                          levels(0, 128, 0, 255, 1), levels(0, 255, 78, 171, 2.12)};
	auto adjustment = make(levelsSettings);
	ASSERT_TRUE(adjustment);
	expectNear({113, 83, 97}, run(*adjustment, {0, 30, 0}), 0);
	expectNear({113, 74, 117}, run(*adjustment, {57, 20, 20}), 0);
	expectNear({113, 74, 99}, run(*adjustment, {15, 15, 2}), 0);
	expectNear({113, 74, 106}, run(*adjustment, {31, 17, 8}), 0);
	// A record short: nothing for RGB, enough for gray.
	levelsSettings.records.pop_back();
	EXPECT_FALSE(make(levelsSettings));
	EXPECT_TRUE(make(levelsSettings, kGray));

	// adjustments__curves_rgb.psd: a composite curve after a blue one, both
	// natural splines, the blue one rounded to levels before the composite.
	PSDCurvesSettings curves;
	curves.curves[0] = points({{26, 3}, {55, 84}, {171, 170}, {255, 255}});
	curves.curves[3] = points({{0, 0}, {167, 110}, {255, 166}});
	adjustment = make(curves);
	ASSERT_TRUE(adjustment);
	expectNear({3, 6, 107}, run(*adjustment, {20, 27, 100}), 0);
	expectNear({45, 146, 159}, run(*adjustment, {40, 100, 200}), 0);
	expectNear({166, 224, 45}, run(*adjustment, {160, 230, 60}), 0);
}

TEST(PSDAdjustment, PosterizeAndThresholdCutWherePhotoshopCuts)
{
	// adjustments__posterize_rgb.psd: 7 levels of bytes.
	auto posterize = make(PSDPosterizeSettings{7});
	ASSERT_TRUE(posterize);
	expectNear({42, 85, 212}, run(*posterize, {73, 74, 183}), 0);
	expectNear({0, 170, 255}, run(*posterize, {36, 182, 255}), 0);

	// Luminosity weighs red, green and blue 30, 59 and 11 (the 16-bit file
	// shows it); a value on the level is white.
	auto threshold = make(PSDThresholdSettings{150});
	ASSERT_TRUE(threshold);
	expectNear({255, 255, 255}, run(*threshold, {0, 255, 30}), 0); // 150.45
	expectNear({0, 0, 0}, run(*threshold, {0, 254, 0}), 0);        // 149.86
	threshold = make(PSDThresholdSettings{60}, kGray);
	ASSERT_TRUE(threshold);
	expectNear({255}, run(*threshold, {60}), 0);
	expectNear({0}, run(*threshold, {59}), 0);

	// An 8-bit document's values are seen in whole levels: what lies below,
	// composed in floating point at 59.6, is level 60.
	float value = 59.6f / 255;
	float* plane = &value;
	threshold->Apply(&plane, 1);
	EXPECT_EQ(1.0f, value);
}

TEST(PSDAdjustment, ExposureAndLegacyBrightnessContrastGiveWhatPhotoshopGave)
{
	// adjustments__exposure_rgb.psd, two strips.
	auto exposure = make(PSDExposureSettings{2.03, 0.0775, 1.52});
	ASSERT_TRUE(exposure);
	expectNear({119, 144, 193}, run(*exposure, {0, 40, 80}), 1);
	exposure = make(PSDExposureSettings{-0.04, 0.4144, 0.44});
	ASSERT_TRUE(exposure);
	expectNear({104, 113, 135}, run(*exposure, {20, 60, 100}), 1);
	// Grayscale documents take the same fixed gamma (Photoshop ignores the
	// profile: the sRGB files of the corpus show it).
	exposure = make(PSDExposureSettings{2.03, 0.0775, 1.52}, kGray);
	ASSERT_TRUE(exposure);
	expectNear({144}, run(*exposure, {40}), 1);

	// adjustments__brightnesscontrast_legacy_rgb.psd and _grayscale.psd: a
	// stretch follows the shift, a squeeze comes before it, each by whole
	// levels (57 % gives up 145 of 255: 55 is 6, not 7).
	auto legacy = make(PSDBrightnessContrastSettings{true, 20, 57, 127});
	ASSERT_TRUE(legacy);
	expectNear({4, 92, 173}, run(*legacy, {54, 92, 127}), 0);
	expectNear({6}, {run(*legacy, {55, 0, 0})[0]}, 0);
	legacy = make(PSDBrightnessContrastSettings{true, -23, -26, 127}, kGray);
	ASSERT_TRUE(legacy);
	expectNear({12}, run(*legacy, {3}), 0);
	expectNear({84}, run(*legacy, {100}), 0);
	expectNear({171}, run(*legacy, {218}), 0);

	// In 32-bit documents the adjustments see values through the sRGB curve,
	// and exposure alone works in linear light: +1 stop doubles.
	expectNear({0, 0, 0}, run(*make(PSDInvertSettings(), kRGB32), {255, 255, 255}), 0);
	expectNear({14, 0, 0}, run(*make(PSDInvertSettings(), kRGB32), {128, 255, 255}), 1);
	expectNear({100, 40, 0}, run(*make(PSDExposureSettings{1, 0, 1}, kRGB32), {50, 20, 0}), 0);
}

TEST(PSDAdjustment, HueSaturationRangesCombineAsPhotoshopCombinesThem)
{
	// adjustments__huesaturation_lightness_rgb.psd: ranges whose lightness
	// reaches +100 make a pixel the gray of its lightest channel, then the
	// master's -72 darkens it.
	PSDHueSaturationSettings lightness;
	lightness.colorization = {0, 0.25, 0};
	lightness.master = {0, 0, -0.72};
	const PSDHueRange lightnessRanges[] = {
	    hueRange(207, 56, 99, 179, 0, 100), hueRange(15, 45, 75, 105, 0, 0),
	    hueRange(267, 315, 343, 27, 0, 93), hueRange(279, 46, 107, 147, 0, 65),
	    hueRange(195, 225, 319, 8, 0, 100), hueRange(82, 133, 151, 171, 0, -13)};
	std::copy(std::begin(lightnessRanges), std::end(lightnessRanges), lightness.ranges);
	auto adjustment = make(lightness);
	ASSERT_TRUE(adjustment);
	expectNear({41, 41, 41}, run(*adjustment, {114, 118, 146}), 1);
	expectNear({55, 55, 55}, run(*adjustment, {196, 167, 176}), 1);

	// adjustments__huesaturation_saturation_rgb.psd: saturations of
	// overlapping ranges add up as stretches; -100 is gray.
	PSDHueSaturationSettings saturation;
	saturation.colorization = {350, 0.25, 0};
	const PSDHueRange saturationRanges[] = {
	    hueRange(205, 245, 258, 309, -100, 0), hueRange(214, 237, 248, 273, -18, 0),
	    hueRange(315, 345, 16, 46, 15, 0),     hueRange(326, 347, 42, 65, 73, 0),
	    hueRange(246, 277, 324, 336, 0, 0),    hueRange(214, 245, 275, 305, 0, 0)};
	std::copy(std::begin(saturationRanges), std::end(saturationRanges), saturation.ranges);
	adjustment = make(saturation);
	ASSERT_TRUE(adjustment);
	expectNear({85, 51, 47}, run(*adjustment, {71, 62, 61}), 1);
	expectNear({119, 77, 91}, run(*adjustment, {106, 91, 96}), 2);
	expectNear({165, 31, 0}, run(*adjustment, {109, 66, 56}), 1);
	expectNear({127, 127, 127}, run(*adjustment, {120, 110, 144}), 1);
	// Its right strip: +89 and -92 over one range do not cancel; the raised
	// saturation counts in 256ths (the stretch is 7.9, not 8.2).
	saturation.ranges[3] = hueRange(188, 195, 286, 294, 89, 0);
	saturation.ranges[4] = hueRange(188, 195, 286, 294, -92, 0);
	for (int r : {0, 1, 2, 5})
		saturation.ranges[r] = hueRange(0, 0, 0, 0, 0, 0);
	adjustment = make(saturation);
	ASSERT_TRUE(adjustment);
	expectNear({22, 61, 179}, run(*adjustment, {91, 96, 111}), 1);
	expectNear({6, 14, 156}, run(*adjustment, {72, 73, 91}), 1);
	// Fading in from 188.5 degrees: at 190.0, by 21 %.
	expectNear({11, 47, 54}, run(*adjustment, {24, 39, 42}), 1);

	// Colorize paints its hue over the luminosity.
	saturation.colorize = true;
	saturation.colorization = {240, 1, 0};
	expectNear({0, 0, 255}, run(*make(saturation), {128, 128, 128}), 1);
}

TEST(PSDAdjustment, ColourAdjustmentsKeepTheirPromises)
{
	// Black & white's default weights: red counts 40 %, yellow 60 %.
	auto blackWhite = make(PSDBlackWhiteSettings());
	ASSERT_TRUE(blackWhite);
	expectNear({102, 102, 102}, run(*blackWhite, {255, 0, 0}), 1);
	expectNear({153, 153, 153}, run(*blackWhite, {255, 255, 0}), 1);
	expectNear({90, 90, 90}, run(*blackWhite, {90, 90, 90}), 0);

	// A channel mixer that swaps red and blue and adds 10 % to green.
	PSDChannelMixerSettings mixer;
	mixer.mixes = {{{0, 0, 1, 0}, 0}, {{0, 1, 0, 0}, 0.1}, {{1, 0, 0, 0}, 0}};
	auto mix = make(mixer);
	ASSERT_TRUE(mix);
	expectNear({30, 76, 10}, run(*mix, {10, 50, 30}), 1);
	mixer.mixes.pop_back();
	EXPECT_FALSE(make(mixer));

	// Photo filter: full density multiplies; preserving luminosity keeps it.
	PSDPhotoFilterSettings orange = {{1, 128 / 255.0f, 0}, 1, false};
	auto filter = make(orange);
	ASSERT_TRUE(filter);
	expectNear({200, 100, 0}, run(*filter, {200, 200, 200}), 1);
	orange.preserveLuminosity = true;
	filter = make(orange);
	ASSERT_TRUE(filter);
	const std::vector<int> kept = run(*filter, {100, 100, 100});
	EXPECT_NEAR(100, 0.3 * kept[0] + 0.59 * kept[1] + 0.11 * kept[2], 1);
	EXPECT_GT(kept[0], kept[2]);

	// Gradient map, black to white: the luminosity, as a gray; reversed,
	// its complement.
	PSDGradientMapSettings map;
	map.channels = 3;
	map.smoothness = 0;
	map.stops = {{0, 0.5, {0, 0, 0}}, {1, 0.5, {1, 1, 1}}};
	auto gradient = make(map);
	ASSERT_TRUE(gradient);
	expectNear({154, 154, 154}, run(*gradient, {0, 255, 30}), 1);
	map.reversed = true;
	expectNear({101, 101, 101}, run(*make(map), {0, 255, 30}), 1);
	EXPECT_FALSE(make(map, kGray)); // stops of three channels

	// Settings at zero change nothing; colour balance that preserves
	// luminosity keeps it while it shifts the colour.
	auto selectiveColor = make(PSDSelectiveColorSettings());
	ASSERT_TRUE(selectiveColor);
	expectNear({12, 200, 99}, run(*selectiveColor, {12, 200, 99}), 0);
	PSDColorBalanceSettings balance;
	balance.amounts[1][0] = 0.5;
	balance.amounts[1][2] = -0.5;
	balance.preserveLuminosity = true;
	auto colorBalance = make(balance);
	ASSERT_TRUE(colorBalance);
	const std::vector<int> warmer = run(*colorBalance, {128, 128, 128});
	EXPECT_GT(warmer[0], warmer[2] + 20);
	EXPECT_NEAR(128, 0.3 * warmer[0] + 0.59 * warmer[1] + 0.11 * warmer[2], 1);

	// Vibrance leaves grays alone and raises dull colours more than vivid
	// ones; without any change there is nothing to apply.
	auto vibrance = make(PSDVibranceSettings{50, 0});
	ASSERT_TRUE(vibrance);
	expectNear({77, 77, 77}, run(*vibrance, {77, 77, 77}), 0);
	const std::vector<int> dull = run(*vibrance, {140, 120, 120});
	const std::vector<int> vivid = run(*vibrance, {250, 10, 10});
	EXPECT_GT(dull[0] - dull[1], 30);
	EXPECT_LT(vivid[0] - vivid[1], 250);
	EXPECT_FALSE(make(PSDVibranceSettings{0, 0}));
}

TEST(PSDAdjustment, ColourLookupReadsCubeTablesThroughTheSource)
{
	// A 2 x 2 x 2 table that swaps red and blue, on a domain of 0 to 2,
	// behind other bytes of the file.
	const std::string cube = "TITLE \"swap\"\n# comment\nLUT_3D_SIZE 2\nDOMAIN_MAX 2 2 2\n"
	                         "0 0 0\n0 0 2\n0 2 0\n0 2 2\n2 0 0\n2 0 2\n2 2 0\n2 2 2\n";
	const std::string claims = "LUT_3D_SIZE 129\n0 0 0\n";
	TableSource source("header" + cube + claims);
	PSDColorLookupSettings lookup;
	lookup.table = {psdKey("clrL"), 6, cube.size()};
	auto adjustment = psdMakeAdjustment(PSDAdjustmentSettings{lookup}, kRGB, source);
	ASSERT_TRUE(adjustment);
	expectNear({30, 128, 200}, run(*adjustment, {200, 128, 30}), 1);
	EXPECT_FALSE(psdMakeAdjustment(PSDAdjustmentSettings{lookup}, kGray, source));

	// A table that claims more entries than its file holds, and one the
	// source cannot give, are refused.
	lookup.table = {psdKey("clrL"), 6 + cube.size(), claims.size()};
	EXPECT_FALSE(psdMakeAdjustment(PSDAdjustmentSettings{lookup}, kRGB, source));
	lookup.table.length += 1;
	EXPECT_FALSE(psdMakeAdjustment(PSDAdjustmentSettings{lookup}, kRGB, source));
}

// Every kind, with strong settings, in every colour mode a document renders:
// values in range wherever the kind applies.
TEST(PSDAdjustment, EveryKindKeepsValuesInRangeInEveryMode)
{
	PSDLevelsSettings levelsSettings;
	levelsSettings.records.assign(5, levels(250, 10, 255, 0, 9.99));
	PSDCurvesSettings curves;
	for (auto& curve : curves.curves)
		curve = points({{0, 255}, {10, 0}, {20, 255}, {255, 0}});
	PSDHueSaturationSettings hue;
	hue.master = {180, 1, 1};
	PSDBlackWhiteSettings blackWhite;
	std::fill(std::begin(blackWhite.weights), std::end(blackWhite.weights), 3.0);
	PSDChannelMixerSettings mixer;
	mixer.mixes.assign(4, {{2, -2, 2, -2}, 2});
	PSDSelectiveColorSettings selective;
	selective.inks[7][0] = selective.inks[7][3] = 1;
	const std::vector<PSDAdjustmentSettings> everyKind = {
	    {levelsSettings},
	    {curves},
	    {PSDBrightnessContrastSettings{false, 150, 100, 0}},
	    {PSDExposureSettings{20, 0.5, 0.01}},
	    {PSDVibranceSettings{-100, 100}},
	    {hue},
	    {PSDColorBalanceSettings{{{1, -1, 1}, {1, 1, 1}, {-1, -1, -1}}, true}},
	    {blackWhite},
	    {PSDPhotoFilterSettings{{1, 0, 1}, 1, true}},
	    {mixer},
	    {PSDInvertSettings()},
	    {PSDPosterizeSettings{2}},
	    {PSDThresholdSettings{255}},
	    {selective}};
	for (const PSDRenderTarget& target : {kRGB, kGray, kCMYK16, kRGB32}) {
		PSDGradientMapSettings map;
		map.channels = target.colours;
		map.stops = {{0.3, 0.01, {1, 1, 1, 1}}, {0.3, 0.99, {0, 0, 0, 0}}};
		std::vector<PSDAdjustmentSettings> kinds = everyKind;
		kinds.push_back({map});
		for (const PSDAdjustmentSettings& settings : kinds) {
			TableSource none;
			auto adjustment = psdMakeAdjustment(settings, target, none);
			// Exposure in linear light has no ceiling.
			if (!adjustment ||
			    (target.depth == 32 && std::holds_alternative<PSDExposureSettings>(settings.kind)))
				continue;
			for (int v : {0, 37, 128, 255}) {
				std::vector<int> pixel((size_t)target.colours, v);
				pixel[0] = 255 - v;
				for (int out : run(*adjustment, pixel)) {
					EXPECT_GE(out, 0) << settings.kind.index() << " mode " << target.mode;
					EXPECT_LE(out, 255) << settings.kind.index() << " mode " << target.mode;
				}
			}
		}
	}
}

} // namespace
