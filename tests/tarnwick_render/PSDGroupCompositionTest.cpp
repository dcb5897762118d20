// Groups as clipping bases, pass-through groups that hold adjustments, and
// artboards: documents five pixels wide whose result can be worked out by
// hand.

#include "DescriptorWriter.h"
#include "PsdLayerWriter.h"
#include "TranslatedPixels.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

const int32_t kWidth = 5;

LayerRecord grayLayer(uint8_t value, const Bytes& alpha = Bytes(kWidth, 255))
{
	LayerRecord layer;
	layer.right = kWidth;
	layer.bottom = 1;
	layer.channels.push_back({-1, alpha});
	for (int16_t id = 0; id < 3; id++)
		layer.channels.push_back({id, Bytes(kWidth, value)});
	return layer;
}

LayerRecord whiteBackground()
{
	LayerRecord layer = grayLayer(255);
	layer.channels.erase(layer.channels.begin());
	return layer;
}

LayerRecord groupEnd()
{
	LayerRecord record;
	record.blocks.push_back(sectionDivider(3));
	return record;
}

LayerRecord groupOpen(const std::string& blendMode)
{
	LayerRecord record;
	record.blocks.push_back(sectionDivider(1, blendMode));
	return record;
}

LayerRecord invert()
{
	LayerRecord record;
	record.blocks.push_back({"nvrt", {}});
	return record;
}

LayerRecord clippedLayer(uint8_t value)
{
	LayerRecord layer = grayLayer(value);
	layer.clipping = 1;
	return layer;
}

std::vector<uint32> renderPixels(const std::vector<LayerRecord>& records)
{
	PsdLayout layout = psdLayout(3, 8, 3, kWidth, 1);
	layout.layerInfo = layerSection(records);
	std::vector<uint32> pixels =
	    translatedPixels(psdRaw(layout, std::vector<Bytes>(3, Bytes(kWidth, 255))), true);
	EXPECT_EQ(pixels.size(), (size_t)kWidth);
	return pixels;
}

// Green values of an opaque rendering.
std::vector<int> render(const std::vector<LayerRecord>& records)
{
	std::vector<int> gray;
	for (uint32 pixel : renderPixels(records)) {
		EXPECT_EQ(pixel >> 24, 255u);
		gray.push_back((int)(pixel >> 8 & 0xff));
	}
	return gray;
}

TEST(PSDGroupComposition, LayersClippedToAGroupShowOverWhatItsLayersCover)
{
	// What the group's visible layers cover, whatever their blend mode:
	// not what lay below it, nor its hidden layers.
	LayerRecord dark = grayLayer(60, {255, 255, 0, 0, 0});
	LayerRecord hidden = grayLayer(60, {0, 0, 255, 0, 0});
	hidden.flags = 2;
	LayerRecord multiplied = grayLayer(128, {0, 0, 0, 255, 0});
	multiplied.blendMode = "mul ";
	for (const char* blendMode : {"pass", "norm"}) {
		EXPECT_EQ(render({whiteBackground(), groupEnd(), dark, hidden, multiplied,
		                  groupOpen(blendMode), clippedLayer(200)}),
		          (std::vector<int>{200, 200, 255, 200, 255}))
		    << blendMode;
	}
}

TEST(PSDGroupComposition, PassThroughGroupsAdjustWhatLiesBelowThemAndFadeIt)
{
	const LayerRecord dark = grayLayer(60, {255, 255, 0, 0, 0});
	LayerRecord faded = groupOpen("pass");
	faded.opacity = 128;
	EXPECT_EQ(render({whiteBackground(), dark, groupEnd(), invert(), faded}),
	          (std::vector<int>{128, 128, 127, 127, 127}));

	LayerRecord masked = groupOpen("pass");
	masked.maskData = maskData(0, 0, 1, 3, 0);
	masked.channels.push_back({-2, Bytes(3, 255)});
	EXPECT_EQ(render({whiteBackground(), dark, groupEnd(), invert(), masked}),
	          (std::vector<int>{195, 195, 0, 255, 255}));

	// Layers clipped to it show over its own layers alone, above or below
	// the adjustment.
	const LayerRecord inside = grayLayer(100, {0, 0, 0, 0, 255});
	EXPECT_EQ(render({whiteBackground(), dark, groupEnd(), invert(), inside, groupOpen("pass"),
	                  clippedLayer(200)}),
	          (std::vector<int>{195, 195, 0, 0, 200}));
}

// An artboard over pixels 1 to 3; its layer, half transparent, covers all.
std::vector<LayerRecord> artboard(const std::string& key, int type, bool colour)
{
	DescriptorBytes d;
	d.Head("artboard", colour ? 3 : 2);
	d.Object("artboardRect", "classFloatRect", 4)
	    .Number("Top ", 0)
	    .Number("Left", 1)
	    .Number("Btom", 1)
	    .Number("Rght", 4);
	d.Item("artboardBackgroundType", "long").U32((uint32_t)type);
	if (colour)
		d.RGB("Clr ", 255, 0, 0);
	LayerRecord open = groupOpen("pass");
	open.blocks.push_back({key, d.Versioned()});
	return {groupEnd(), grayLayer(60, Bytes(kWidth, 128)), open};
}

TEST(PSDGroupComposition, ArtboardsShowTheirBackgroundUnderTheirLayersInsideTheirRectangle)
{
	struct Case {
		const char* key;
		int type; // 1 white, 2 black, 3 transparent, 4 its colour
		uint32 inside;
	};
	// The layer's 60 at half over the background: white 157, black 30,
	// red 157 and 30 and 30; over nothing, itself.
	for (const Case& c : {Case{"artb", 1, 0xff9d9d9du}, Case{"artd", 2, 0xff1e1e1eu},
	                      Case{"abdd", 3, 0x803c3c3cu}, Case{"artb", 4, 0xff9d1e1eu}}) {
		const std::vector<uint32> pixels = renderPixels(artboard(c.key, c.type, c.type == 4));
		ASSERT_EQ(pixels.size(), (size_t)kWidth);
		EXPECT_EQ(pixels[0] >> 24, 0u) << c.key << c.type;
		EXPECT_EQ(pixels[4] >> 24, 0u) << c.key << c.type;
		for (int x = 1; x < 4; x++)
			EXPECT_EQ(pixels[(size_t)x], c.inside) << c.key << c.type;
	}
}

} // namespace
