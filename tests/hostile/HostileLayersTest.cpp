// Layer sections that lie: thousands of layers, bounds and masks near 2^31,
// channel lengths past the file, groups nested ten thousand deep, section
// dividers out of balance, paths far off the canvas, descriptors that are
// no descriptors. Rendering them gives a bitmap or a reason, in bounded time
// and memory: each case runs in a child process with its address space
// limited, where no sanitizer needs the room.

#include "AddressSpaceLimit.h"
#include "DescriptorWriter.h"
#include "HostileSupport.h"
#include "PsdLayerWriter.h"

#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorFormats.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace hostile;
using namespace psdtest;

namespace {

const uint32_t kSide = 48;

LayerRecord pixelLayer(int32_t left, int32_t top, uint32_t side, uint8_t value)
{
	LayerRecord layer;
	layer.left = left;
	layer.top = top;
	layer.right = left + (int32_t)side;
	layer.bottom = top + (int32_t)side;
	for (int16_t id = -1; id < 3; id++)
		layer.channels.push_back({id, Bytes((size_t)side * side, (uint8_t)(value + id * 40))});
	return layer;
}

Bytes layeredFile(const Bytes& section)
{
	PsdLayout layout = psdLayout(3, 8, 3, kSide, kSide);
	layout.layerInfo = section;
	return psdRaw(layout, std::vector<Bytes>(3, Bytes(kSide * kSide, 255)));
}

Bytes withLayers(const std::vector<LayerRecord>& layers)
{
	return layeredFile(layerSection(layers));
}

// The section with its first record's fields overwritten: they start after
// the section's two lengths and the layer count.
Bytes patchedFirstRecord(std::vector<LayerRecord> layers, size_t offset, const Bytes& bytes)
{
	Bytes section = layerSection(layers);
	std::copy(bytes.begin(), bytes.end(), section.begin() + 4 + 2 + offset);
	return layeredFile(section);
}

Bytes big32s(std::initializer_list<uint32_t> values)
{
	Bytes out;
	for (uint32_t value : values)
		appendBig32(out, value);
	return out;
}

LayerBlock vectorMaskFarAway()
{
	LayerBlock block = {"vmsk", big32s({3, 0})};
	Bytes length(26, 0);
	length[1] = 0; // closed subpath length record, four knots
	length[3] = 4;
	block.data.insert(block.data.end(), length.begin(), length.end());
	for (int k = 0; k < 4; k++) {
		Bytes knot(26, 0);
		knot[1] = 1;
		for (int i = 2; i < 26; i++)
			knot[i] = (uint8_t)(k & 1 ? 0x7F : 0x80) ^ (uint8_t)(i & 3);
		block.data.insert(block.data.end(), knot.begin(), knot.end());
	}
	return block;
}

struct LayersCase {
	const char* what;
	Bytes file;
};

std::vector<LayersCase> layerCases()
{
	std::vector<LayersCase> cases;
	std::vector<LayerRecord> many;
	for (int i = 0; i < 3000; i++)
		many.push_back(pixelLayer(i % 61 - 7, i % 53 - 5, 1 + i % 3, (uint8_t)i));
	cases.push_back({"3000 layers", withLayers(many)});

	const std::vector<LayerRecord> one = {pixelLayer(4, 4, 8, 90)};
	cases.push_back(
	    {"bounds at the ends of int32",
	     patchedFirstRecord(one, 0, big32s({0x80000000u, 0x80000000u, 0x7FFFFFFFu, 0x7FFFFFFFu}))});
	cases.push_back({"bounds inside out", patchedFirstRecord(one, 0, big32s({40, 40, 3, 3}))});
	// After the bounds and the channel count: each channel's ID and length.
	cases.push_back(
	    {"channel lengths past the file",
	     patchedFirstRecord(
	         one, 18, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF0})});

	LayerRecord end, open;
	end.blocks.push_back(sectionDivider(3));
	open.blocks.push_back(sectionDivider(1, "norm"));
	std::vector<LayerRecord> deep(10000, end);
	deep.push_back(pixelLayer(0, 0, 20, 10));
	deep.insert(deep.end(), 10000, open);
	cases.push_back({"groups nested ten thousand deep", withLayers(deep)});
	std::vector<LayerRecord> unbalanced(50, end);
	unbalanced.push_back(pixelLayer(3, 3, 20, 30));
	unbalanced.insert(unbalanced.end(), 80, open);
	cases.push_back({"dividers out of balance", withLayers(unbalanced)});

	LayerRecord masked = pixelLayer(2, 2, 30, 60);
	masked.maskData = maskData(0, 0, 2, 2, 255);
	masked.channels.push_back({-2, Bytes(4, 128)});
	// The mask's rect follows the five channels, the blend mode, the flags
	// and the two lengths in front of it.
	cases.push_back(
	    {"a mask far larger than the canvas",
	     patchedFirstRecord({masked}, 18 + 5 * 6 + 8 + 4 + 4 + 4,
	                        big32s({0xC0000000u, 0xC0000000u, 0x40000000u, 0x40000000u}))});

	LayerRecord shape = pixelLayer(0, 0, kSide, 200);
	shape.blocks.push_back(vectorMaskFarAway());
	cases.push_back({"a path far off the canvas", withLayers({shape})});

	LayerRecord fills = pixelLayer(0, 0, 10, 20);
	fills.blocks.push_back({"SoCo", Bytes(40, 0xFF)});
	fills.blocks.push_back({"GdFl", big32s({16, 0xFFFFFFFF, 7})});
	fills.blocks.push_back({"PtFl", big32s({16, 1, 0})});
	cases.push_back({"fills whose descriptors are broken", withLayers({fills})});

	DescriptorBytes board;
	board.Head("artboard", 3)
	    .Object("artboardRect", "classFloatRect", 4)
	    .Number("Top ", -1e300)
	    .Number("Left", -1e12)
	    .Number("Btom", 1e300)
	    .Number("Rght", 1e12);
	board.Item("artboardBackgroundType", "long").U32(4);
	board.Object("Clr ", "RGBC", 1).Number("Rd  ", 1e300);
	LayerRecord artboard = open;
	artboard.blocks.push_back({"artb", board.Versioned()});
	cases.push_back({"an artboard far larger than the canvas",
	                 withLayers({end, pixelLayer(0, 0, kSide, 70), artboard})});
	return cases;
}

// Translates in a child whose address space and CPU time are limited. The
// child's exit code is the outcome: 0 a bitmap, 1 a refusal with a reason,
// 2 one without; killed past a limit, 100 and more.
int translateInChild(const Bytes& file, const BMessage& options, rlim_t memory, rlim_t seconds)
{
	const pid_t child = fork();
	if (child == 0) {
		const struct rlimit cpu = {seconds, seconds};
		setrlimit(RLIMIT_CPU, &cpu);
		if (kAddressSpaceLimitWorks) {
			const struct rlimit bound = {memory, memory};
			setrlimit(RLIMIT_AS, &bound);
		}
		BMemoryIO in(file.data(), file.size());
		BMessage extension(options);
		const Outcome outcome = translateWith(addOns().tarnwick, kPSDType, &in, &extension);
		const char* reason = nullptr;
		const bool said = extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason) == B_OK;
		_exit(outcome.status == B_OK && untouchedOrBitmap(outcome, B_RGBA32) ? 0 : said ? 1 : 2);
	}
	int status = 0;
	waitpid(child, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(HostileLayers, RenderedOrRefusedWithAReasonInBoundedMemory)
{
	// Loaded here, so that the children need not load the add-ons again.
	addOns();
	for (const LayersCase& c : layerCases()) {
		SCOPED_TRACE(c.what);
		BMemoryIO in(c.file.data(), c.file.size());
		BMessage extension;
		extension.AddBool(TARNWICK_EXT_LAYERS, true);
		const Outcome outcome = translateWith(addOns().tarnwick, 0x70736420, &in, &extension);
		EXPECT_EQ(B_OK, outcome.status);
		EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
		BMessage layers;
		layers.AddBool(TARNWICK_EXT_LAYERS, true);
		EXPECT_EQ(0, translateInChild(c.file, layers, (rlim_t)1 << 30, 60));
	}
}

// A layer style of `count` stroke entries that say nothing: strokes of
// one pixel, black, outside.
Bytes emptyStrokes(uint32_t count)
{
	DescriptorBytes style;
	style.Head("null", 1).Item("frameFXMulti", "VlLs").U32(count);
	for (uint32_t i = 0; i < count; i++)
		style.Code("Objc").Head("FrFX", 0);
	return style.Effects();
}

// Lists in one another, each claiming 60000 elements and holding one.
Bytes nestedLists()
{
	DescriptorBytes style;
	style.Head("null", 1).Item("frameFXMulti", "VlLs");
	for (int i = 0; i < 31; i++)
		style.U32(60000).Code("VlLs");
	style.U32(0);
	Bytes block = style.Effects();
	block.resize(400000, 0);
	return block;
}

// A 1000 x 1000 opaque square on a 1200 x 1200 canvas, with its style: held
// whole over their reach, each stroke took 4 MB.
Bytes styledSquare(const Bytes& style)
{
	const uint32_t side = 1200;
	LayerRecord square = pixelLayer(100, 100, 1000, 200);
	square.channels[0].samples.assign(square.channels[0].samples.size(), 255);
	square.blocks.push_back({"lfx2", style});
	PsdLayout layout = psdLayout(3, 8, 3, side, side);
	layout.layerInfo = layerSection({square});
	return psdPackBits(layout, std::vector<Bytes>(3, Bytes((size_t)side * side, 255)));
}

TEST(HostileLayers, EffectsStayDrawnInBoundedMemoryAndTime)
{
	if (!psdtest::kAddressSpaceLimitWorks)
		GTEST_SKIP() << "no address space limit under a sanitizer";
	addOns();
	struct Case {
		const char* what;
		Bytes file;
		bool stroked;
	} cases[] = {{"100 empty stroke entries", styledSquare(emptyStrokes(100)), true},
	             {"1000 empty stroke entries", styledSquare(emptyStrokes(1000)), true},
	             {"32 nested descriptor lists", styledSquare(nestedLists()), false}};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.what);
		EXPECT_TRUE(psdtest::runsWithin(
		    256,
		    [&] {
			    BMemoryIO in(c.file.data(), c.file.size());
			    BMessage extension;
			    extension.AddBool(TARNWICK_EXT_LAYERS, true);
			    const Outcome outcome =
			        translateWith(addOns().tarnwick, 0x70736420, &in, &extension);
			    const Bytes pixels = pixelsOf(outcome);
			    if (outcome.status != B_OK || pixels.size() != 1200 * 1200 * 4)
				    return false;
			    // Along row 600: the stroke left of the square, then the square.
			    const uint8_t* stroke = &pixels[(600 * 1200 + 99) * 4];
			    const uint8_t* inside = &pixels[(600 * 1200 + 100) * 4];
			    const bool black = stroke[0] == 0 && stroke[1] == 0 && stroke[2] == 0;
			    return inside[2] == 200 && inside[3] == 255 &&
			           (c.stroked ? black && stroke[3] == 255 : stroke[3] == 0);
		    },
		    5));
	}
}

// What a file manager meets in a Downloads folder: small files that ask for
// vast work. Their thumbnails come in bounded memory and CPU time, or are
// refused with a reason; the files are the attacks at a smaller scale, where
// work that grows past proportion still shows.
struct Attack {
	const char* what;
	Bytes file;
};

Bytes withoutMergedImage(uint32_t width, uint32_t height, const std::vector<LayerRecord>& layers)
{
	PsdLayout layout = psdLayout(3, 8, 3, width, height);
	layout.layerInfo = layerSection(layers);
	return psdFrontMatter(layout);
}

LayerRecord fillLayer()
{
	LayerRecord layer;
	layer.blocks.push_back(solidColour(200, 40, 40));
	return layer;
}

// Its pixels kept in ZIP channels that hold no data at all.
LayerRecord emptyZipLayer(uint32_t side)
{
	LayerRecord layer;
	layer.right = layer.bottom = (int32_t)side;
	for (int16_t id = -1; id < 3; id++)
		layer.channels.push_back({id, {}, {0, 2}});
	return layer;
}

// Every shadow a layer may have, at sizes past Photoshop's and far off the
// canvas: each is blurred over all the area it looks at.
LayerRecord farShadows()
{
	DescriptorBytes style;
	style.Head("null", 2);
	for (const char* kind : {"DrSh", "IrSh"}) {
		style.Item(kind == std::string("DrSh") ? "dropShadowMulti" : "innerShadowMulti", "VlLs")
		    .U32(10);
		for (int i = 0; i < 10; i++) {
			style.Code("Objc").Head(kind, 2).Unit("blur", "#Pxl", 1000).Unit("Dstn", "#Pxl", 30000);
		}
	}
	LayerRecord layer = pixelLayer(0, 0, 64, 200);
	layer.blocks.push_back({"lfx2", style.Effects()});
	return layer;
}

std::vector<Attack> attacks()
{
	std::vector<Attack> cases;
	cases.push_back({"a fill layer on a 30000 x 30000 canvas",
	                 withoutMergedImage(30000, 30000, {fillLayer()})});
	cases.push_back({"200 fill layers on a 30000 x 30000 canvas",
	                 withoutMergedImage(30000, 30000, std::vector<LayerRecord>(200, fillLayer()))});
	LayerRecord feathered = fillLayer();
	feathered.maskData = maskData(0, 0, 2, 6000, 0);
	feathered.maskData[17] = 16; // parameters follow: a feather of 200 pixels
	feathered.maskData.resize(18);
	feathered.maskData.push_back(2);
	for (uint8_t byte : {0x40, 0x69, 0, 0, 0, 0, 0, 0})
		feathered.maskData.push_back(byte);
	feathered.channels.push_back({-2, Bytes(2 * 6000, 200)});
	cases.push_back({"a feathered mask over the top rows of 6000 x 6000",
	                 withoutMergedImage(6000, 6000, {feathered})});
	cases.push_back(
	    {"three layers of empty ZIP channels, 16000 x 16000",
	     withoutMergedImage(16000, 16000, std::vector<LayerRecord>(3, emptyZipLayer(16000)))});
	LayerRecord invert;
	invert.blocks.push_back({"nvrt", {}});
	cases.push_back({"4000 adjustment layers on 2000 x 2000",
	                 withoutMergedImage(2000, 2000, std::vector<LayerRecord>(4000, invert))});
	return cases;
}

TEST(HostileLayers, ThumbnailsOfAttacksTakeLittle)
{
	addOns();
	for (const Attack& attack : attacks()) {
		SCOPED_TRACE(attack.what);
		BMessage thumbnail;
		thumbnail.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, BPoint(256, 256));
		const int outcome = translateInChild(attack.file, thumbnail, (rlim_t)512 << 20, 20);
		EXPECT_TRUE(outcome == 0 || outcome == 1) << outcome;
	}
}

TEST(HostileLayers, FullSizeRenderingsPastTheLimitAreRefusedNamingIt)
{
	const Bytes file = withoutMergedImage(30000, 30000, {fillLayer()});
	BMemoryIO in(file.data(), file.size());
	BMessage extension;
	extension.AddBool(TARNWICK_EXT_LAYERS, true);
	const Outcome outcome = translateWith(addOns().tarnwick, kPSDType, &in, &extension);
	EXPECT_EQ(B_ERROR, outcome.status);
	EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
	const char* reason = "";
	extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason);
	EXPECT_NE(nullptr, strstr(reason, "limit")) << reason;
}

// Each shadow is blurred over all the area it looks at, whatever part of it
// reaches the canvas: at sizes past Photoshop's that took a gigabyte. The
// rows its blurs hold count in the work.
TEST(HostileLayers, FarShadowsOnATinyCanvasTakeLittleMemoryOrAreRefused)
{
	if (!psdtest::kAddressSpaceLimitWorks)
		GTEST_SKIP() << "no address space limit under a sanitizer";
	addOns();
	const Bytes file = withoutMergedImage(64, 64, {farShadows()});
	EXPECT_TRUE(psdtest::runsWithin(
	    256,
	    [&] {
		    BMemoryIO in(file.data(), file.size());
		    BMessage extension;
		    extension.AddBool(TARNWICK_EXT_LAYERS, true);
		    const Outcome outcome = translateWith(addOns().tarnwick, kPSDType, &in, &extension);
		    const char* reason = "";
		    extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason);
		    const Bytes pixels = pixelsOf(outcome);
		    return outcome.status == B_OK
		               ? pixels.size() == 64 * 64 * 4 && pixels[(32 * 64 + 32) * 4 + 3] == 255
		               : strstr(reason, "limit") != nullptr;
	    },
	    20));
}

} // namespace
