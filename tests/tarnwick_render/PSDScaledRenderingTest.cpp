// Layers rendered straight onto a canvas a fraction of the document's size,
// as a thumbnail too costly at full size is, against the full rendering
// averaged down: the same picture, to within what averaging before and after
// compositing can change.

#include "PsdLayerWriter.h"

#include <AreaAverageSink.h>
#include <PSDFileSource.h>
#include <core/PSDDocument.h>
#include <layers/PSDModelReader.h>
#include <render/PSDLayerImage.h>
#include <render/compose/PSDCompositor.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace psdtest;

namespace {

const uint32_t kSide = 300;

// A disc of radius r around (cx, cy) in a side x side plane, antialiased
// crudely: what masks and transparency hold in real files.
Bytes disc(uint32_t side, double cx, double cy, double r)
{
	Bytes plane((size_t)side * side);
	for (uint32_t y = 0; y < side; y++) {
		for (uint32_t x = 0; x < side; x++) {
			const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) - r;
			plane[(size_t)y * side + x] =
			    (uint8_t)std::lround(255 * std::min(1.0, std::max(0.0, 0.5 - d)));
		}
	}
	return plane;
}

Bytes document()
{
	LayerRecord photo;
	photo.left = photo.top = 30;
	photo.right = photo.bottom = 260;
	const uint32_t side = 230;
	Bytes red(side * side), green(side * side), blue(side * side);
	for (uint32_t i = 0; i < side * side; i++) {
		red[i] = (uint8_t)(i % side);
		green[i] = (uint8_t)(i / side);
		blue[i] = (uint8_t)((i % side + i / side) / 2);
	}
	photo.channels = {{-1, disc(side, 115, 115, 110)}, {0, red}, {1, green}, {2, blue}};

	LayerRecord fill;
	fill.blocks.push_back(solidColour(20, 90, 200));
	fill.blendMode = "mul ";
	fill.opacity = 200;
	fill.maskData = maskData(0, 0, kSide, kSide, 0);
	fill.maskData[17] = 16; // parameters follow: a feather of 6 pixels
	fill.maskData.resize(18);
	fill.maskData.push_back(2);
	for (uint8_t byte : {0x40, 0x18, 0, 0, 0, 0, 0, 0})
		fill.maskData.push_back(byte);
	fill.channels.push_back({-2, disc(kSide, 200, 120, 70)});

	LayerRecord end, group;
	end.blocks.push_back(sectionDivider(3));
	group.blocks.push_back(sectionDivider(1, "norm"));
	group.opacity = 230;
	PsdLayout layout = psdLayout(3, 8, 3, kSide, kSide);
	layout.layerInfo = layerSection({end, photo, fill, group});
	return psdFrontMatter(layout);
}

double overWhite(uint32 word, int channel)
{
	const uint8* bytes = (const uint8*)&word;
	return bytes[channel] * bytes[3] / 255.0 + 255 * (1 - bytes[3] / 255.0);
}

TEST(PSDScaledRendering, MatchesTheFullRenderingAveragedDown)
{
	const Bytes file = document();
	BMemoryIO in(file.data(), file.size());
	PSDDocument doc;
	PSDLayers records;
	std::string reason;
	ASSERT_EQ(B_OK, psdCoreDescribe(&in, &doc, &reason, false)) << reason;
	ASSERT_EQ(B_OK, psdReadLayers(&in, doc, &records, &reason)) << reason;
	PSDRenderTarget full = {(int32)kSide, (int32)kSide, 3, 3, 8};
	const PSDModelContext context = {&in,
	                                 full.width,
	                                 full.height,
	                                 3,
	                                 3,
	                                 8,
	                                 false,
	                                 120,
	                                 30,
	                                 &records.globalBlocks,
	                                 PSDModelLimits()};
	PSDModel model;
	ASSERT_EQ(B_OK, psdReadModel(context, records, &model, &reason)) << reason;
	PSDFileSource source(&in, 8, false);

	for (uint32 side : {75u, 64u, 23u}) {
		SCOPED_TRACE(side);
		PSDCompositor whole(model, full, source);
		ASSERT_EQ(B_OK, whole.Init());
		AreaAverageSink averaged(kSide, kSide, side, side);
		PSDFormulaRows averagedRows(averaged, full.mode, full.depth, full.width);
		ASSERT_EQ(B_OK, psdRenderModel(whole, full, averagedRows, 0, full.height));
		averaged.Finish();

		PSDRenderTarget small = full;
		small.width = small.height = (int32)side;
		small.scale = (double)side / kSide;
		PSDCompositor scaled(model, small, source);
		ASSERT_EQ(B_OK, scaled.Init());
		std::vector<uint32> pixels((size_t)side * side);
		PSDPixelBufferSink sink(pixels.data());
		PSDFormulaRows rows(sink, small.mode, small.depth, small.width);
		ASSERT_EQ(B_OK, psdRenderModel(scaled, small, rows, 0, small.height));

		double total = 0;
		for (size_t i = 0; i < pixels.size(); i++) {
			for (int c = 0; c < 3; c++)
				total += std::abs(overWhite(pixels[i], c) - overWhite(averaged.Pixels()[i], c));
		}
		EXPECT_LT(total / (pixels.size() * 3), 2.5);
	}
}

} // namespace
