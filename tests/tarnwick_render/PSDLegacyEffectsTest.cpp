// A style kept only in the older binary block draws as the same style in its
// descriptor form does.

#include "DescriptorWriter.h"
#include "PsdLayerWriter.h"
#include "TranslatedPixels.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

const uint32_t kSide = 24;
// 191 of 255, as the older block keeps it.
const double kOpacity = 191 / 2.55;

void append32(Bytes& bytes, uint32_t value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		bytes.push_back((uint8_t)(value >> shift));
}

// A gray square on white, with the given blocks.
std::vector<uint32> render(const std::vector<LayerBlock>& blocks)
{
	LayerRecord background;
	background.right = background.bottom = kSide;
	for (int16_t id = 0; id < 3; id++)
		background.channels.push_back({id, Bytes(kSide * kSide, 255)});
	LayerRecord square;
	square.left = square.top = 7;
	square.right = square.bottom = 17;
	square.channels.push_back({-1, Bytes(100, 255)});
	for (int16_t id = 0; id < 3; id++)
		square.channels.push_back({id, Bytes(100, 140)});
	square.blocks = blocks;
	PsdLayout layout = psdLayout(3, 8, 3, kSide, kSide);
	layout.layerInfo = layerSection({background, square});
	return translatedPixels(psdRaw(layout, std::vector<Bytes>(3, Bytes(kSide * kSide, 255))), true);
}

// A drop shadow (multiply, black, 120 degrees, 3 pixels away, size 2) and an
// inner bevel (size 3, depth 100 %, highlight screen white, shadow multiply
// black, its own angle of 120 degrees and altitude 30), all at 75 %.
LayerBlock descriptorStyle()
{
	DescriptorBytes style;
	style.Head("null", 3).Bool("masterFXSwitch", true);
	style.Object("DrSh", "DrSh", 8).Bool("enab", true).Enum("Md  ", "BlnM", "Mltp");
	style.RGB("Clr ", 0, 0, 0).Unit("Opct", "#Prc", kOpacity).Bool("uglg", false);
	style.Unit("lagl", "#Ang", 120).Unit("Dstn", "#Pxl", 3).Unit("blur", "#Pxl", 2);
	style.Object("ebbl", "ebbl", 15).Bool("enab", true).Enum("hglM", "BlnM", "Scrn");
	style.RGB("hglC", 255, 255, 255).Unit("hglO", "#Prc", kOpacity).Enum("sdwM", "BlnM", "Mltp");
	style.RGB("sdwC", 0, 0, 0).Unit("sdwO", "#Prc", kOpacity).Enum("bvlT", "bvlT", "SfBL");
	style.Enum("bvlS", "BESl", "InrB").Bool("uglg", false).Unit("lagl", "#Ang", 120);
	style.Unit("Lald", "#Ang", 30).Unit("srgR", "#Prc", 100).Unit("blur", "#Pxl", 3);
	style.Enum("bvlD", "BESs", "In  ");
	return {"lfx2", style.Effects()};
}

LayerBlock legacyStyle()
{
	Bytes block = {0, 0, 0, 2};
	auto record = [&](const char* key, const Bytes& body) {
		block.insert(block.end(), {'8', 'B', 'I', 'M'});
		block.insert(block.end(), key, key + 4);
		append32(block, (uint32_t)body.size());
		block.insert(block.end(), body.begin(), body.end());
	};
	const Bytes black = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
	const Bytes white = {0, 0, 255, 255, 255, 255, 255, 255, 0, 0};
	const Bytes multiply = {'8', 'B', 'I', 'M', 'm', 'u', 'l', ' '};
	const Bytes screen = {'8', 'B', 'I', 'M', 's', 'c', 'r', 'n'};
	// Version, blur, intensity, angle, distance (16.16), colour, mode,
	// enabled, global angle, opacity of 255.
	Bytes shadow;
	for (uint32_t value : {0u, 2u << 16, 0u, 120u << 16, 3u << 16})
		append32(shadow, value);
	shadow.insert(shadow.end(), black.begin(), black.end());
	shadow.insert(shadow.end(), multiply.begin(), multiply.end());
	shadow.insert(shadow.end(), {1, 0, 191});
	record("dsdw", shadow);
	// Version, angle, depth, blur, the modes and colours of highlight and
	// shadow, style (inner), their opacities, enabled, global angle, up.
	Bytes bevel;
	for (uint32_t value : {0u, 120u << 16, 3u << 16, 3u << 16})
		append32(bevel, value);
	bevel.insert(bevel.end(), screen.begin(), screen.end());
	bevel.insert(bevel.end(), multiply.begin(), multiply.end());
	bevel.insert(bevel.end(), white.begin(), white.end());
	bevel.insert(bevel.end(), black.begin(), black.end());
	bevel.insert(bevel.end(), {2, 191, 191, 1, 0, 0});
	record("bevl", bevel);
	return {"lrFX", block};
}

TEST(PSDLegacyEffects, DrawAsTheirDescriptorFormDraws)
{
	const std::vector<uint32> plain = render({});
	const std::vector<uint32> styled = render({descriptorStyle()});
	ASSERT_EQ(kSide * kSide, styled.size());
	// The style shows: shadow beside the square, bevel on it.
	EXPECT_NE(plain[19 * kSide + 12], styled[19 * kSide + 12]);
	EXPECT_NE(plain[8 * kSide + 12], styled[8 * kSide + 12]);
	EXPECT_EQ(styled, render({legacyStyle()}));
	// Where both are there, the descriptor wins, even one without effects.
	const LayerBlock none = {"lfx2", DescriptorBytes().Head("null", 0).Effects()};
	EXPECT_EQ(plain, render({legacyStyle(), none}));
}

} // namespace
