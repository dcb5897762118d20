// Layer styles, fills, shape strokes and patterns read from their blocks'
// bytes into settings, once.

#include "CorpusBlocks.h"
#include "DescriptorWriter.h"
#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <layers/style/PSDFillSettings.h>
#include <layers/style/PSDPatternTable.h>

#include <DataIO.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

typedef psdtest::DescriptorBytes Bytes;

const std::string kCorpus = SHARED_CORPUS_DIR;

// A layer's blocks and the document's, in one stream.
struct Document {
	std::vector<uint8> bytes;
	PSDLayer layer = {};
	std::vector<PSDBlock> global;
	std::unique_ptr<BMemoryIO> in;
	uint16 mode = PSD_MODE_RGB;

	PSDBlock Put(uint32 key, const std::vector<uint8>& data)
	{
		const PSDBlock block = {key, bytes.size(), data.size()};
		bytes.insert(bytes.end(), data.begin(), data.end());
		return block;
	}
	void Add(uint32 key, const std::vector<uint8>& data) { layer.blocks.push_back(Put(key, data)); }

	PSDModelContext Context()
	{
		in = std::make_unique<BMemoryIO>(bytes.data(), bytes.size());
		return {in.get(), 1000, 1000,    mode, mode == PSD_MODE_CMYK ? 4 : 3, 8, false,
		        30,       30,   &global, {}};
	}
};

// A pattern record: its header, then a raw 8-bit channel per plane; cut
// short, the last channel's data runs past the record.
std::vector<uint8> pattern(const std::string& id, int32 width, int32 height, int planes,
                           uint8 value, bool cut = false)
{
	Bytes p;
	p.U32(1).U32(PSD_MODE_RGB);
	p.data.push_back((uint8)(height >> 8));
	p.data.push_back((uint8)height);
	p.data.push_back((uint8)(width >> 8));
	p.data.push_back((uint8)width);
	p.Unicode(u"name");
	p.data.push_back((uint8)id.size());
	p.data.insert(p.data.end(), id.begin(), id.end());
	p.U32(3).U32(0).U32(0).U32(0).U32(height).U32(width).U32(planes);
	for (int c = 0; c < planes; c++) {
		p.U32(1).U32(23 + width * height).U32(8).U32(0).U32(0).U32(height).U32(width);
		p.data.insert(p.data.end(), {0, 8, 0});
		p.data.insert(p.data.end(), (size_t)width * height, (uint8)(value + 10 * c));
	}
	if (cut)
		p.data.resize(p.data.size() - 5);
	Bytes record;
	record.U32((uint32)p.data.size());
	record.data.insert(record.data.end(), p.data.begin(), p.data.end());
	while (record.data.size() % 4 != 0)
		record.data.push_back(0);
	return record.data;
}

TEST(PSDStyleSettings, EffectsReadInPhotoshopsOrder)
{
	Document document;
	document.global.push_back(document.Put(psdKey("Patt"), pattern("p1", 2, 2, 3, 100)));
	Bytes style;
	style.Head("null", 6).Bool("masterFXSwitch", true);
	style.Object("DrSh", "DrSh", 9).Enum("Md  ", "BlnM", "Mltp").RGB("Clr ", 255, 0, 0);
	style.Unit("Opct", "#Prc", 50).Bool("uglg", true).Unit("lagl", "#Ang", 90);
	style.Unit("Dstn", "#Pxl", 7).Unit("Ckmt", "#Prc", 25).Unit("blur", "#Pxl", 9);
	style.Object("TrnS", "ShpC", 1).Item("Crv ", "VlLs").U32(3);
	for (double x : {0.0, 128.0, 255.0})
		style.Code("Objc").Head("CrPt", 2).Number("Hrzn", x).Number("Vrtc", 255 - x);
	style.Object("IrGl", "IrGl", 3).Bool("enab", false).Enum("GlwT", "BETE", "PrBL");
	style.Enum("glwS", "IGSr", "SrcC");
	style.Object("patternFill", "patternFill", 2).Object("Ptrn", "Ptrn", 1).Text("Idnt", u"p1");
	style.Unit("Scl ", "#Prc", 50);
	// Twelve strokes where Photoshop allows ten: the first in the list is
	// drawn on top.
	style.Item("frameFXMulti", "VlLs").U32(12).Code("Objc");
	style.Head("FrFX", 3).Enum("Styl", "FStl", "InsF").Enum("PntT", "FrFl", "GrFl");
	style.Object("Grad", "Grdn", 2).Enum("GrdF", "GrdF", "CstS").Item("Clrs", "VlLs").U32(1);
	style.Code("Objc").Head("Clrt", 2).RGB("Clr ", 0, 0, 255).Number("Lctn", 0);
	for (int i = 1; i < 12; i++)
		style.Code("Objc").Head("FrFX", 1).Enum("Styl", "FStl", "CtrF");
	style.Object("SoFi", "SoFi", 1).RGB("Clr ", 0, 255, 0);
	document.Add(psdKey("lfx2"), style.Effects());
	document.Add(psdKey("infx"), {1, 0, 0, 0});

	const PSDModelContext context = document.Context();
	PSDPatternTable patterns(context);
	const PSDLayerStyleSettings settings = psdReadLayerStyle(context, document.layer, patterns);
	ASSERT_TRUE(settings.enabled);
	EXPECT_TRUE(settings.interiorAsGroup);
	ASSERT_EQ(14u, settings.effects.size());
	const std::vector<PSDEffectKind> kinds = {PSD_EFFECT_DROP_SHADOW, PSD_EFFECT_PATTERN_OVERLAY,
	                                          PSD_EFFECT_COLOUR_OVERLAY, PSD_EFFECT_INNER_GLOW};
	for (size_t i = 0; i < settings.effects.size(); i++)
		EXPECT_EQ(i < 4 ? kinds[i] : PSD_EFFECT_STROKE, settings.effects[i].kind) << i;

	const PSDEffectSettings& shadow = settings.effects[0];
	EXPECT_EQ(PSD_BLEND_MULTIPLY, shadow.blendMode);
	EXPECT_FLOAT_EQ(0.5f, shadow.opacity);
	EXPECT_EQ(1, shadow.paint.colour.value[0]);
	EXPECT_EQ(0, shadow.paint.colour.value[1]);
	EXPECT_EQ(30, shadow.angle); // the global light's
	EXPECT_EQ(7, shadow.distance);
	EXPECT_EQ(9, shadow.size);
	EXPECT_EQ(0.25, shadow.spread);
	ASSERT_EQ(3u, shadow.contour.size());
	EXPECT_NEAR(0.5, shadow.contour[1].input, 0.01);
	EXPECT_NEAR(0.5, shadow.contour[1].output, 0.01);

	const PSDEffectSettings& overlay = settings.effects[1];
	ASSERT_EQ(PSD_PAINT_PATTERN, overlay.paint.kind);
	ASSERT_TRUE(overlay.paint.pattern.pattern != nullptr);
	EXPECT_EQ(0.5, overlay.paint.pattern.scale);
	EXPECT_FLOAT_EQ(110 / 255.0f, overlay.paint.pattern.pattern->Sample(1, 3));
	EXPECT_EQ(1, overlay.paint.pattern.pattern->Sample(3, 0)); // no alpha: opaque
	EXPECT_EQ(1, settings.effects[2].paint.colour.value[1]);

	const PSDEffectSettings& glow = settings.effects[3];
	EXPECT_FALSE(glow.enabled);
	EXPECT_TRUE(glow.precise);
	EXPECT_TRUE(glow.fromCentre);

	const PSDEffectSettings& top = settings.effects.back();
	EXPECT_EQ(PSD_STROKE_INSIDE, top.position);
	ASSERT_EQ(PSD_PAINT_GRADIENT, top.paint.kind);
	EXPECT_EQ(1, top.paint.gradient.colours[0].value[2]);
	EXPECT_EQ(PSD_STROKE_CENTRE, settings.effects[4].position);
	EXPECT_EQ(1, settings.effects[4].size);
}

TEST(PSDStyleSettings, StylesThatAreOffOrBrokenDrawNothing)
{
	Bytes off;
	off.Head("null", 2).Bool("masterFXSwitch", false).Object("SoFi", "SoFi", 0);
	Bytes cut = off;
	cut.data.resize(cut.data.size() - 3);
	for (const std::vector<uint8>& block : {off.Effects(), cut.Effects(), std::vector<uint8>(3)}) {
		Document document;
		document.Add(psdKey("lfx2"), block);
		const PSDModelContext context = document.Context();
		PSDPatternTable patterns(context);
		EXPECT_FALSE(psdReadLayerStyle(context, document.layer, patterns).enabled);
	}
}

TEST(PSDStyleSettings, FillsOfEveryKind)
{
	Bytes solid;
	solid.Head("null", 1).RGB("Clr ", 0, 51, 255);
	Bytes gradient;
	gradient.Head("null", 8).Enum("Type", "GrdT", "Rdl ").Unit("Angl", "#Ang", 45);
	gradient.Unit("Scl ", "#Prc", 150).Bool("Rvrs", true).Bool("Algn", false);
	gradient.Object("Ofst", "Pnt ", 2).Unit("Hrzn", "#Prc", 10).Unit("Vrtc", "#Prc", -20);
	gradient.Enum("gradientsInterpolationMethod", "gradientInterpolationMethodType", "Lnr ");
	gradient.Object("Grad", "Grdn", 3).Enum("GrdF", "GrdF", "CstS").Number("Intr", 2048);
	gradient.Item("Clrs", "VlLs").U32(2);
	gradient.Code("Objc").Head("Clrt", 2).Enum("Type", "Clry", "FrgC").Number("Lctn", 4096);
	gradient.Code("Objc").Head("Clrt", 3).Enum("Type", "Clry", "UsrS").Number("Lctn", 1024);
	gradient.RGB("Clr ", 255, 255, 255);
	Bytes noise;
	noise.Head("null", 1).Object("Grad", "Grdn", 1).Enum("GrdF", "GrdF", "ClNs");

	Document document;
	document.Add(psdKey("GdFl"), gradient.Versioned());
	PSDModelContext context = document.Context();
	PSDPatternTable patterns(context);
	PSDFillSettings fill = psdReadFill(context, document.layer, patterns);
	ASSERT_TRUE(fill.present);
	ASSERT_EQ(PSD_PAINT_GRADIENT, fill.paint.kind);
	const PSDGradientSettings& g = fill.paint.gradient;
	EXPECT_EQ(PSD_GRADIENT_RADIAL, g.shape);
	EXPECT_EQ(45, g.angle);
	EXPECT_EQ(1.5, g.scale);
	EXPECT_EQ(0.1, g.offsetX);
	EXPECT_EQ(-0.2, g.offsetY);
	EXPECT_TRUE(g.reverse);
	EXPECT_FALSE(g.alignWithLayer);
	EXPECT_TRUE(g.linearLight);
	EXPECT_EQ(0.5, g.smoothness);
	ASSERT_EQ(2u, g.colours.size());
	EXPECT_EQ(1, g.colours[0].location);
	EXPECT_EQ(0, g.colours[0].value[0]); // the foreground without a colour: black
	EXPECT_EQ(0.25, g.colours[1].location);
	ASSERT_EQ(1u, g.alphas.size()); // no transparency stops: opaque
	EXPECT_EQ(1, g.alphas[0].value[0]);

	// In CMYK the same stops are stored values of ink, in no linear light.
	document.mode = PSD_MODE_CMYK;
	context = document.Context();
	fill = psdReadFill(context, document.layer, patterns);
	EXPECT_FALSE(fill.paint.gradient.linearLight);
	EXPECT_EQ(4, fill.paint.gradient.channels);

	Document noisy;
	noisy.Add(psdKey("GdFl"), noise.Versioned());
	noisy.Add(psdKey("SoCo"), solid.Versioned());
	context = noisy.Context();
	EXPECT_FALSE(psdReadFill(context, noisy.layer, patterns).present);

	Document shape;
	std::vector<uint8> content = {'S', 'o', 'C', 'o'};
	const std::vector<uint8> descriptor = solid.Versioned();
	content.insert(content.end(), descriptor.begin(), descriptor.end());
	shape.Add(psdKey("vscg"), content);
	context = shape.Context();
	fill = psdReadFill(context, shape.layer, patterns);
	ASSERT_TRUE(fill.present);
	EXPECT_EQ(PSD_PAINT_SOLID, fill.paint.kind);
	EXPECT_FLOAT_EQ(0.2f, fill.paint.colour.value[1]);
}

TEST(PSDStyleSettings, ShapeStrokeInPixelsAndColour)
{
	for (bool coloured : {true, false}) {
		Bytes stroke;
		stroke.Head("strokeStyle", coloured ? 7 : 6).Bool("strokeEnabled", true);
		stroke.Bool("fillEnabled", false).Unit("strokeStyleLineWidth", "#Pnt", 3);
		stroke.Number("strokeStyleResolution", 144).Unit("strokeStyleOpacity", "#Prc", 40);
		stroke.Enum("strokeStyleLineAlignment", "strokeStyleLineAlignment",
		            "strokeStyleAlignOutside");
		if (coloured)
			stroke.Object("strokeStyleContent", "solidColorLayer", 1).RGB("Clr ", 255, 0, 0);
		Document document;
		document.Add(psdKey("vstk"), stroke.Versioned());
		const PSDShapeStrokeSettings read = psdReadShapeStroke(document.Context(), document.layer);
		// Without a colour there is nothing to draw it in.
		EXPECT_EQ(coloured, read.enabled);
		EXPECT_EQ(coloured ? 1 : 0, read.colour.value[0]);
		EXPECT_FALSE(read.fill);
		EXPECT_EQ(6, read.width);
		EXPECT_EQ(PSD_STROKE_OUTSIDE, read.position);
		EXPECT_FLOAT_EQ(0.4f, read.opacity);
	}
}

TEST(PSDPatternTable, EachPatternDecodedOnceWithinItsLimits)
{
	Document document;
	std::vector<uint8> block = pattern("big", 64, 64, 4, 9);
	const std::vector<uint8> small = pattern("small", 3, 1, 3, 200);
	block.insert(block.end(), small.begin(), small.end());
	// One that claims 30000 x 30000 pixels, and one cut short.
	const std::vector<uint8> huge = pattern("huge", 30000, 30000, 0, 0);
	block.insert(block.end(), huge.begin(), huge.end());
	const std::vector<uint8> cut = pattern("cut", 4, 4, 3, 0, true);
	block.insert(block.end(), cut.begin(), cut.end());
	document.global.push_back(document.Put(psdKey("Pat2"), block));

	PSDModelContext context = document.Context();
	context.limits.patternBytes = 64 * 64 * 4 * 2 + 10;
	PSDPatternTable patterns(context);
	const std::shared_ptr<const PSDPattern> big = patterns.Find(std::string("big\0\0", 5));
	ASSERT_TRUE(big != nullptr);
	EXPECT_EQ(big, patterns.Find("big"));
	EXPECT_EQ(3, big->channels);
	EXPECT_FLOAT_EQ(29 / 255.0f, big->Sample(2, 64 * 64 - 1));
	EXPECT_FLOAT_EQ(39 / 255.0f, big->Sample(3, 0)); // the fourth plane is its alpha
	// Past the table's bytes, and what is not there or cannot be read.
	for (const char* id : {"small", "huge", "cut", "none"})
		EXPECT_TRUE(patterns.Find(id) == nullptr) << id;
	context.limits.patternBytes = 1 << 20;
	PSDPatternTable roomy(context);
	ASSERT_TRUE(roomy.Find("small") != nullptr);
	EXPECT_FLOAT_EQ(210 / 255.0f, roomy.Find("small")->Sample(1, 2));
}

// The style of a layer that has only this block.
PSDLayerStyleSettings styleFrom(uint32 key, const std::vector<uint8>& block)
{
	Document document;
	document.Add(key, block);
	const PSDModelContext context = document.Context();
	PSDPatternTable patterns(context);
	return psdReadLayerStyle(context, document.layer, patterns);
}

const PSDEffectSettings* firstShown(const PSDLayerStyleSettings& style, PSDEffectKind kind)
{
	for (const PSDEffectSettings& effect : style.effects) {
		if (effect.kind == kind && effect.enabled)
			return &effect;
	}
	return nullptr;
}

void expectSameColour(const PSDColour& expected, const PSDColour& read, const std::string& where)
{
	for (int c = 0; c < 3; c++)
		EXPECT_NEAR(expected.value[c], read.value[c], 1 / 255.0) << where << " channel " << c;
}

// Photoshop writes the older binary block beside the descriptor: for every
// layer of the corpus that has both, the effects the older block can hold
// read as the descriptor's (a bevel's size and depth it holds only
// roughly, and shadows and glows no spread).
TEST(PSDStyleSettings, LegacyEffectsReadAsTheirDescriptorForm)
{
	if (!std::filesystem::is_directory(kCorpus))
		GTEST_SKIP() << "no corpus at " << kCorpus;
	// A layer's descriptor comes just before its older block.
	std::vector<uint8> descriptor;
	int compared = 0;
	for (const CorpusBlock& block : find_corpus_blocks(kCorpus, {"lrFX", "lfx2"})) {
		if (block.key == "lfx2") {
			descriptor = block.data;
			continue;
		}
		if (descriptor.empty())
			continue;
		const PSDLayerStyleSettings old = styleFrom(psdKey("lrFX"), block.data);
		const PSDLayerStyleSettings current = styleFrom(psdKey("lfx2"), descriptor);
		descriptor.clear();
		for (PSDEffectKind kind :
		     {PSD_EFFECT_DROP_SHADOW, PSD_EFFECT_INNER_SHADOW, PSD_EFFECT_OUTER_GLOW,
		      PSD_EFFECT_INNER_GLOW, PSD_EFFECT_COLOUR_OVERLAY, PSD_EFFECT_BEVEL}) {
			const std::string where = block.file + ", effect " + std::to_string(kind);
			const PSDEffectSettings* read = firstShown(old, kind);
			const PSDEffectSettings* expected = firstShown(current, kind);
			ASSERT_EQ(expected != nullptr, read != nullptr) << where;
			if (read == nullptr)
				continue;
			compared++;
			EXPECT_EQ(expected->blendMode, read->blendMode) << where;
			// Percentages against bytes of 255.
			EXPECT_NEAR(expected->opacity, read->opacity, 0.5 / 255 + 0.005) << where;
			expectSameColour(expected->paint.colour, read->paint.colour, where);
			EXPECT_EQ(expected->angle, read->angle) << where;
			if (kind != PSD_EFFECT_BEVEL) {
				EXPECT_EQ(expected->size, read->size) << where;
				EXPECT_EQ(expected->distance, read->distance) << where;
				continue;
			}
			EXPECT_EQ(expected->bevel.style, read->bevel.style) << where;
			EXPECT_EQ(expected->bevel.up, read->bevel.up) << where;
			EXPECT_EQ(expected->bevel.shadow.blendMode, read->bevel.shadow.blendMode) << where;
			EXPECT_NEAR(expected->bevel.shadow.opacity, read->bevel.shadow.opacity,
			            0.5 / 255 + 0.005)
			    << where;
			expectSameColour(expected->bevel.shadow.colour, read->bevel.shadow.colour, where);
		}
	}
	EXPECT_GE(compared, 4);
}

// Cut short anywhere, or claiming more records than it holds, the older
// block gives the effects whose records are whole, within their caps.
TEST(PSDStyleSettings, DamagedLegacyEffectsKeepWhatIsWhole)
{
	Bytes shadow;
	shadow.data = {'8', 'B', 'I', 'M', 'd', 's', 'd', 'w'};
	shadow.U32(41).U32(0).U32(5 << 16).U32(0).U32(90u << 16).U32(0x7fffffff);
	shadow.U16(0).U16(65535).U16(0).U16(0).U16(0);
	shadow.data.insert(shadow.data.end(), {'8', 'B', 'I', 'M', 'm', 'u', 'l', ' ', 1, 0, 255});
	Bytes block;
	block.U16(0).U16(2);
	block.data.insert(block.data.end(), shadow.data.begin(), shadow.data.end());
	// A bevel whose record says more than the block has left.
	block.data.insert(block.data.end(), {'8', 'B', 'I', 'M', 'b', 'e', 'v', 'l', 0, 0, 0, 78});
	block.U32(2).U32(0);

	const PSDLayerStyleSettings whole = styleFrom(psdKey("lrFX"), block.data);
	ASSERT_EQ(1u, whole.effects.size());
	const PSDEffectSettings& read = whole.effects[0];
	EXPECT_EQ(PSD_EFFECT_DROP_SHADOW, read.kind);
	EXPECT_EQ(5, read.size);
	EXPECT_EQ(90, read.angle);
	EXPECT_EQ(PSD_BLEND_MULTIPLY, read.blendMode);
	EXPECT_EQ(1, read.paint.colour.value[0]);
	EXPECT_EQ(1, read.opacity);
	for (size_t length = 0; length < block.data.size(); length++) {
		const std::vector<uint8> cut(block.data.begin(), block.data.begin() + length);
		const PSDLayerStyleSettings settings = styleFrom(psdKey("lrFX"), cut);
		EXPECT_LE(settings.effects.size(), 1u) << length;
		for (const PSDEffectSettings& effect : settings.effects) {
			EXPECT_EQ(PSD_EFFECT_DROP_SHADOW, effect.kind);
			EXPECT_LE(effect.size, kPSDMostEffectSize);
		}
	}
}

} // namespace
