// "Blend if" ranges, knockout and channel restrictions, which no corpus file
// uses: small gray documents, five pixels wide, whose result can be worked
// out by hand.

#include "PsdLayerWriter.h"

#include <DataIO.h>
#include <PSDDocument.h>
#include <PSDLayerImage.h>

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

const int32_t kWidth = 5;

LayerRecord grayLayer(const Bytes& values, const Bytes& alpha = Bytes(kWidth, 255))
{
	LayerRecord layer;
	layer.right = kWidth;
	layer.bottom = 1;
	layer.channels.push_back({-1, alpha});
	for (int16_t id = 0; id < 3; id++)
		layer.channels.push_back({id, values});
	return layer;
}

// Without a transparency channel: the document's background.
LayerRecord background(const Bytes& values)
{
	LayerRecord layer = grayLayer(values);
	layer.channels.erase(layer.channels.begin());
	return layer;
}

// Fill opacity 0 and knocking out (1 shallow, 2 deep) over the first three
// pixels.
LayerRecord knockoutLayer(uint8_t kind)
{
	LayerRecord layer = grayLayer(Bytes(kWidth, 200), {255, 255, 255, 0, 0});
	layer.blocks.push_back({"iOpa", {0, 0, 0, 0}});
	layer.blocks.push_back({"knko", {kind, 0, 0, 0}});
	return layer;
}

LayerRecord groupRecord(uint32_t type)
{
	LayerRecord record;
	record.blocks.push_back(sectionDivider(type, "norm"));
	return record;
}

// Composite gray source and destination ranges, then the three channels'
// ranges, which cut nothing.
Bytes grayRanges(const Bytes& source, const Bytes& destination)
{
	Bytes ranges = source;
	ranges.insert(ranges.end(), destination.begin(), destination.end());
	for (int channel = 0; channel < 3; channel++)
		ranges.insert(ranges.end(), {0, 0, 255, 255, 0, 0, 255, 255});
	return ranges;
}

// The rendered row's pixel words, opaque.
std::vector<uint32> renderPixels(const std::vector<LayerRecord>& records)
{
	PsdLayout layout = psdLayout(3, 8, 3, kWidth, 1);
	layout.layerInfo = layerSection(records);
	Bytes file = psdRaw(layout, std::vector<Bytes>(3, Bytes(kWidth, 255)));
	BMemoryIO in(file.data(), file.size());
	PSDDocument document;
	PSDLayers layers;
	std::string reason;
	std::vector<uint32> pixels(kWidth);
	PSDPixelBufferSink sink(pixels.data());
	EXPECT_EQ(psdCoreDescribe(&in, &document, &reason), B_OK) << reason;
	EXPECT_EQ(psdReadLayers(&in, document, &layers, &reason), B_OK) << reason;
	PSDFormulaRows rows(sink, document.mode, layers.depth, document.width);
	EXPECT_EQ(psdRenderLayers(&in, document, layers, rows, &reason), B_OK) << reason;
	for (uint32 pixel : pixels)
		EXPECT_EQ(pixel >> 24, 255u);
	return pixels;
}

// Their green values, gray where the layers are.
std::vector<int> render(const std::vector<LayerRecord>& records)
{
	std::vector<int> gray;
	for (uint32 pixel : renderPixels(records))
		gray.push_back((int)(pixel >> 8 & 0xff));
	return gray;
}

TEST(PSDLayerBlending, BlendIfRanges)
{
	// This layer shows from 100 up, fully from 200.
	LayerRecord own = grayLayer({0, 100, 150, 200, 255});
	own.blendingRanges = grayRanges({100, 200, 255, 255}, {0, 0, 255, 255});
	EXPECT_EQ(render({background(Bytes(kWidth, 128)), own}),
	          (std::vector<int>{128, 128, 139, 200, 255}));

	// Not over what is brighter than 128 below it.
	LayerRecord over = grayLayer(Bytes(kWidth, 50));
	over.blendingRanges = grayRanges({0, 0, 255, 255}, {0, 0, 128, 128});
	EXPECT_EQ(render({background({0, 64, 120, 192, 255}), over}),
	          (std::vector<int>{50, 50, 50, 192, 255}));
}

TEST(PSDLayerBlending, KnockoutShowsWhatLayBelow)
{
	const LayerRecord white = background(Bytes(kWidth, 255));
	const LayerRecord dark = grayLayer(Bytes(kWidth, 60));
	const LayerRecord middle = grayLayer(Bytes(kWidth, 120));

	// Outside any group, both reach the background.
	EXPECT_EQ(render({white, dark, knockoutLayer(1)}), (std::vector<int>{255, 255, 255, 60, 60}));
	// In a group, shallow stops at what lay below the group; deep goes on.
	EXPECT_EQ(render({white, dark, groupRecord(3), middle, knockoutLayer(1), groupRecord(1)}),
	          (std::vector<int>{60, 60, 60, 120, 120}));
	EXPECT_EQ(render({white, dark, groupRecord(3), middle, knockoutLayer(2), groupRecord(1)}),
	          (std::vector<int>{255, 255, 255, 120, 120}));
}

TEST(PSDLayerBlending, RestrictedChannelsKeepWhatLayBelow)
{
	LayerRecord light = grayLayer(Bytes(kWidth, 200));
	light.blocks.push_back({"brst", {0, 0, 0, 0}}); // red
	for (uint32 pixel : renderPixels({background(Bytes(kWidth, 100)), light}))
		EXPECT_EQ(pixel & 0xffffff, 0x64c8c8u); // red 100, green and blue 200
}

} // namespace
