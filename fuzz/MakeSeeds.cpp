// Writes the seed corpus of every fuzz target into OUT/<target>/:
//   fuzz_make_seeds OUT [example files...]
// PSD and PSB streams of every colour mode, depth and compression, 32-bit
// float ones among them (with the settings byte the Tarnwick target reads
// first), SCREEN$ streams of the accepted and
// nearby lengths, settings files, packed planes for the plane decoders, and
// ICC profiles behind the colour target's byte (made by lcms2, and the
// system's CMYK profile where it is installed). Example files (.psd, .scr)
// are added as they are.

#include "DescriptorWriter.h"
#include "PsdLayerWriter.h"
#include "PsdWriter.h"
#include "TestProfiles.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/stat.h>

using namespace psdtest;

namespace {

std::string gOut;

bool writeSeed(const std::string& target, const std::string& name, const Bytes& bytes)
{
	const std::string folder = gOut + "/" + target;
	mkdir(gOut.c_str(), 0777);
	mkdir(folder.c_str(), 0777);
	std::ofstream file(folder + "/" + name, std::ios::binary);
	file.write((const char*)bytes.data(), (std::streamsize)bytes.size());
	return (bool)file;
}

Bytes text(const std::string& s)
{
	return Bytes(s.begin(), s.end());
}

// Rows with runs and noise, so that PackBits makes both kinds of packet.
Bytes planeBytes(size_t size, unsigned seed)
{
	std::mt19937 random(seed);
	Bytes plane(size);
	for (size_t i = 0; i < size; i++)
		plane[i] = (i / 7) % 2 ? (uint8_t)(seed * 31 + i / 7) : (uint8_t)random();
	return plane;
}

// Floats mostly in [0, 1], with the ones that must clamp or read as 0:
// negative, above 1, infinite, NaN.
Bytes floatPlane(size_t count, unsigned seed)
{
	std::mt19937 random(seed);
	const float odd[] = {-0.5f, 1.5f, INFINITY, -INFINITY, NAN, 0.0031308f, 1.0f, -0.0f};
	std::vector<float> samples(count);
	for (size_t i = 0; i < count; i++)
		samples[i] = i % 9 == 4 ? odd[(i / 9) % 8] : (float)(random() % 10001) / 10000;
	return floatSamples(samples);
}

Bytes psdSeed(uint8_t settings, const PsdLayout& layout, uint16_t compression)
{
	std::vector<Bytes> planes;
	const size_t samples = (size_t)layout.width * layout.height;
	for (unsigned p = 0; p < layout.channels; p++) {
		const unsigned seed = p + layout.mode * 8;
		planes.push_back(layout.depth == 32 ? floatPlane(samples, seed)
		                                    : planeBytes(layout.RowBytes() * layout.height, seed));
	}
	Bytes file = compression == 0   ? psdRaw(layout, planes)
	             : compression == 1 ? psdPackBits(layout, planes)
	                                : psdZip(layout, planes, compression == 3);
	file.insert(file.begin(), settings);
	return file;
}

struct ModeSeed {
	uint16_t mode;
	uint16_t depth;
	uint16_t channels;
	uint8_t settings; // bit 0 alpha4, bits 1-2 multichannelRead - 1
};

// Files beyond the first reader's: PSB, 32-bit float and ZIP data.
struct BeyondSeed {
	uint16_t version;
	ModeSeed image;
	uint16_t compression;
};

bool writeTarnwickSeeds()
{
	const ModeSeed modes[] = {
	    {0, 1, 1, 0}, {1, 8, 1, 0},  {1, 16, 2, 0}, {2, 8, 1, 0}, {3, 8, 3, 0},  {3, 16, 3, 0},
	    {3, 8, 4, 1}, {3, 16, 4, 0}, {4, 8, 4, 0},  {4, 8, 5, 0}, {4, 16, 4, 0}, {7, 8, 3, 0},
	    {7, 8, 4, 2}, {7, 16, 2, 4}, {7, 8, 5, 6},  {8, 8, 1, 0}, {9, 8, 3, 0},  {9, 16, 3, 0},
	};
	bool ok = true;
	for (const ModeSeed& m : modes) {
		PsdLayout layout = psdLayout(m.mode, m.depth, m.channels, 13, 5);
		layout.imageResources = text("8BIM resource stand-in");
		if (m.mode == 2)
			layout.colorModeData = planeBytes(768, 2);
		for (uint16_t compression : {0, 1}) {
			char name[64];
			snprintf(name, sizeof(name), "mode%u-depth%u-ch%u-set%u-%s", m.mode, m.depth,
			         m.channels, m.settings, compression == 1 ? "packbits" : "raw");
			ok &= writeSeed("tarnwick", name, psdSeed(m.settings, layout, compression));
		}
	}
	const BeyondSeed beyond[] = {
	    {2, {3, 8, 3, 0}, 0},  {2, {3, 16, 4, 1}, 1}, {2, {1, 8, 1, 0}, 3},  {2, {0, 1, 1, 0}, 1},
	    {2, {3, 32, 4, 1}, 1}, {1, {3, 32, 3, 0}, 0}, {1, {3, 32, 4, 1}, 3}, {1, {1, 32, 1, 0}, 1},
	    {1, {1, 32, 2, 0}, 2}, {1, {3, 8, 3, 0}, 2},  {1, {3, 8, 4, 1}, 3},  {1, {3, 16, 3, 0}, 3},
	    {1, {4, 16, 4, 0}, 2}, {1, {2, 8, 1, 0}, 3},  {1, {0, 1, 1, 0}, 3},  {1, {7, 8, 3, 0}, 2},
	};
	for (const BeyondSeed& b : beyond) {
		const ModeSeed& m = b.image;
		PsdLayout layout = psdLayout(m.mode, m.depth, m.channels, 13, 5);
		layout.version = b.version;
		layout.imageResources = text("8BIM resource stand-in");
		layout.layerInfo = text("layers stand-in");
		if (m.mode == 2)
			layout.colorModeData = planeBytes(768, 2);
		static const char* const kCompressions[] = {"raw", "packbits", "zip", "zip-predicted"};
		char name[64];
		snprintf(name, sizeof(name), "%s-mode%u-depth%u-ch%u-set%u-%s",
		         b.version == 2 ? "psb" : "psd", m.mode, m.depth, m.channels, m.settings,
		         kCompressions[b.compression]);
		ok &= writeSeed("tarnwick", name, psdSeed(m.settings, layout, b.compression));
	}
	// Planes that span read blocks.
	PsdLayout wide;
	wide.width = 150;
	wide.height = 60;
	ok &= writeSeed("tarnwick", "rgb-150x60-packbits", psdSeed(0, wide, 1));
	wide.depth = 16;
	ok &= writeSeed("tarnwick", "rgb16-150x60-zip-predicted", psdSeed(0, wide, 3));
	return ok;
}

Bytes screen(size_t size, unsigned seed)
{
	std::mt19937 random(seed);
	Bytes bytes(size);
	for (uint8_t& b : bytes)
		b = (uint8_t)random();
	return bytes;
}

// A screen behind a +3DOS header whose signature and checksum hold.
Bytes plus3dosScreen()
{
	Bytes file = screen(128 + 6912, 7040);
	memcpy(file.data(), "PLUS3DOS\x1A\x01\x00", 11);
	uint8_t sum = 0;
	for (size_t i = 0; i < 127; i++)
		sum += file[i];
	file[127] = sum;
	return file;
}

// Every form's length (7040 with a random header, which the checksum
// refuses, and with a good one) and the lengths beside them.
bool writeWendralSeeds()
{
	bool ok = true;
	for (size_t size : {6912, 6921, 6924, 7396, 6911, 6913, 7397, 6144, 6143, 6976, 6977, 7040,
	                    12288, 12289, 12290, 13824, 13823, 13825})
		ok &= writeSeed("wendral", "screen-" + std::to_string(size), screen(size, (unsigned)size));
	return ok && writeSeed("wendral", "plus3dos", plus3dosScreen());
}

bool writeSettingsSeeds()
{
	const char* files[][2] = {
	    {"saved", "# Tarnwick settings version 1.00\nwindow_pos = 100.5,40\nalpha4 = 0\n"
	              "multichannelRead = 1\n"},
	    {"all-keys", "window_pos = -12.5, 3e2\nalpha4 = 7\nmultichannelRead = 3\n"},
	    {"bad-values", "alpha4 = x\nmultichannelRead = 4\nmultichannelRead = 0\n"
	                   "window_pos = 12.5 ,40\nwindow_pos = nan,inf\n"},
	    {"bad-lines", "=1\nAlpha4 = 1\nalpha4\nthis_key_is_longer_than_thirty_one_characters = 1\n"
	                  "   # comment\n\n\tmultichannelRead=2.5 trailing words\n"},
	    {"crlf", "alpha4 = 1\r\nmultichannelRead = 2\r\nwindow_pos = 1,2\r\n"},
	};
	bool ok = true;
	for (const auto& file : files)
		ok &= writeSeed("settings", file[0], text(file[1]));
	Bytes longLine = text("window_pos = ");
	longLine.resize(1500, '9');
	longLine.push_back('\n');
	ok &= writeSeed("settings", "long-line", longLine);
	return ok;
}

// The five-byte choice of decoder and size, then the data.
Bytes planeSeed(uint8_t kind, uint16_t width, uint8_t height, uint8_t first, const Bytes& data)
{
	Bytes seed = {kind, (uint8_t)((width - 1) >> 8), (uint8_t)(width - 1), (uint8_t)(height - 1),
	              first};
	seed.insert(seed.end(), data.begin(), data.end());
	return seed;
}

// Planes of height rows of rowBytes one after another, each row packed
// when asked.
Bytes seedPlanes(size_t planes, size_t rowBytes, size_t height, bool packed, unsigned seed)
{
	Bytes data;
	for (size_t p = 0; p < planes; p++) {
		Bytes plane = planeBytes(rowBytes * height, (unsigned)(seed + 16 * p));
		if (!packed) {
			data.insert(data.end(), plane.begin(), plane.end());
			continue;
		}
		for (size_t row = 0; row < height; row++) {
			Bytes packedRow = packBits(plane.data() + row * rowBytes, rowBytes);
			data.insert(data.end(), packedRow.begin(), packedRow.end());
		}
	}
	return data;
}

bool writePackBitsSeeds()
{
	const uint16_t width = 37;
	const uint8_t height = 9;
	bool ok = true;
	for (uint8_t kind = 0; kind < 16; kind++) {
		const bool wide = kind & 1, bitmap = kind & 4, packed = !(kind & 8);
		const size_t rowBytes = bitmap ? (width + 7) / 8 : width * (wide ? 2u : 1u);
		const Bytes data = seedPlanes(bitmap ? 1 : 3, rowBytes, height, packed, kind);
		ok &= writeSeed("packbits", "kind" + std::to_string(kind),
		                planeSeed(kind, width, height, 5, data));
	}
	// Planes whose packets cross the 16 KiB blocks they are read in.
	ok &= writeSeed("packbits", "across-blocks",
	                planeSeed(1, 2048, 8, 0, seedPlanes(3, 2 * 2048, 8, true, 99)));
	ok &= writeSeed("packbits", "no-op-headers", planeSeed(0, 16, 4, 0, Bytes(300, 0x80)));
	// The side-by-side reader: row byte counts, then the packed planes.
	for (uint8_t planes = 1; planes <= 4; planes++) {
		for (bool wide : {false, true}) {
			const size_t rowBytes = width * (wide ? 2u : 1u);
			Bytes table, packets;
			for (uint8_t p = 0; p < planes; p++) {
				Bytes plane = planeBytes(rowBytes * height, 40u + p);
				for (size_t row = 0; row < height; row++) {
					Bytes packedRow = packBits(plane.data() + row * rowBytes, rowBytes);
					appendBig16(table, (uint32_t)packedRow.size());
					packets.insert(packets.end(), packedRow.begin(), packedRow.end());
				}
			}
			table.insert(table.end(), packets.begin(), packets.end());
			const uint8_t kind = (uint8_t)(0x10 | (planes - 1) << 5 | (wide ? 1 : 0));
			ok &= writeSeed("packbits",
			                "plane-set-" + std::to_string(planes) + (wide ? "-16bit" : "-8bit"),
			                planeSeed(kind, width, height, 0, table));
		}
	}
	return ok;
}

// A layer of `side` pixels square at (left, top): colour planes from the
// seed, a round shape as transparency.
LayerRecord seedLayer(int32_t left, int32_t top, uint32_t side, unsigned seed)
{
	LayerRecord layer;
	layer.left = left;
	layer.top = top;
	layer.right = left + (int32_t)side;
	layer.bottom = top + (int32_t)side;
	for (int16_t id = -1; id < 3; id++) {
		Bytes samples = planeBytes((size_t)side * side, seed + (unsigned)(id + 1));
		if (id == -1) {
			for (uint32_t i = 0; i < side * side; i++) {
				const int dx = (int)(i % side) - (int)side / 2,
				          dy = (int)(i / side) - (int)side / 2;
				samples[i] = dx * dx + dy * dy < (int)(side * side / 4) ? 255 : 0;
			}
		}
		layer.channels.push_back({id, samples});
	}
	return layer;
}

// A vector mask ('vmsk'): a square of four knots, in fractions of the canvas.
LayerBlock squarePath(double left, double top, double right, double bottom)
{
	LayerBlock block = {"vmsk", {}};
	Bytes& d = block.data;
	appendBig32(d, 3);
	appendBig32(d, 0);
	auto record = [&d](uint16_t kind, uint16_t first) {
		appendBig16(d, kind);
		appendBig16(d, first);
		d.resize(d.size() + 22, 0);
	};
	record(6, 0);
	record(8, 0);
	record(0, 4);
	const double corners[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
	for (const auto& corner : corners) {
		appendBig16(d, 1);
		for (int point = 0; point < 3; point++) {
			appendBig32(d, (uint32_t)(int32_t)(corner[1] * 16777216));
			appendBig32(d, (uint32_t)(int32_t)(corner[0] * 16777216));
		}
	}
	return block;
}

// A layer style: a drop shadow, an outer glow, an inner shadow and a stroke.
LayerBlock seedStyle()
{
	DescriptorBytes style;
	style.Head("null", 5).Bool("masterFXSwitch", true);
	style.Object("DrSh", "DrSh", 5)
	    .Bool("enab", true)
	    .Enum("Md  ", "BlnM", "Mltp")
	    .RGB("Clr ", 0, 0, 0)
	    .Unit("Dstn", "#Pxl", 4)
	    .Unit("blur", "#Pxl", 3);
	style.Object("OrGl", "OrGl", 3)
	    .Bool("enab", true)
	    .RGB("Clr ", 255, 255, 0)
	    .Unit("blur", "#Pxl", 5);
	style.Object("IrSh", "IrSh", 3)
	    .Bool("enab", true)
	    .Unit("Dstn", "#Pxl", 2)
	    .Unit("blur", "#Pxl", 2);
	style.Object("FrFX", "FrFX", 4)
	    .Bool("enab", true)
	    .Unit("Sz  ", "#Pxl", 2)
	    .Enum("Styl", "FStl", "OutF")
	    .RGB("Clr ", 0, 0, 255);
	return {"lfx2", style.Effects()};
}

// The older binary form of a style: a drop shadow and a bevel.
LayerBlock seedLegacyStyle()
{
	Bytes block;
	appendBig16(block, 0);
	appendBig16(block, 2);
	auto record = [&](const char* key, const Bytes& body) {
		block.insert(block.end(), {'8', 'B', 'I', 'M'});
		block.insert(block.end(), key, key + 4);
		appendBig32(block, (uint32_t)body.size());
		block.insert(block.end(), body.begin(), body.end());
	};
	const Bytes black = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
	const Bytes multiply = {'8', 'B', 'I', 'M', 'm', 'u', 'l', ' '};
	Bytes shadow;
	for (uint32_t value : {0u, 3u << 16, 0u, 120u << 16, 4u << 16})
		appendBig32(shadow, value);
	shadow.insert(shadow.end(), black.begin(), black.end());
	shadow.insert(shadow.end(), multiply.begin(), multiply.end());
	shadow.insert(shadow.end(), {1, 0, 191});
	record("dsdw", shadow);
	Bytes bevel;
	for (uint32_t value : {0u, 120u << 16, 3u << 16, 5u << 16})
		appendBig32(bevel, value);
	const Bytes screen = {'8', 'B', 'I', 'M', 's', 'c', 'r', 'n'};
	bevel.insert(bevel.end(), screen.begin(), screen.end());
	bevel.insert(bevel.end(), multiply.begin(), multiply.end());
	const Bytes white = {0, 0, 255, 255, 255, 255, 255, 255, 0, 0};
	bevel.insert(bevel.end(), white.begin(), white.end());
	bevel.insert(bevel.end(), black.begin(), black.end());
	bevel.insert(bevel.end(), {2, 191, 191, 1, 0, 0});
	record("bevl", bevel);
	return {"lrFX", block};
}

// Adjustment blocks as stored: inversion, brightness and contrast, exposure,
// levels.
std::vector<LayerBlock> seedAdjustments()
{
	Bytes brightness, exposure, levels;
	for (uint32_t value : {20u, 30u, 127u})
		appendBig16(brightness, value);
	brightness.push_back(0);
	appendBig16(exposure, 1);
	for (float value : {0.5f, 0.02f, 1.2f}) {
		uint32_t bits;
		memcpy(&bits, &value, sizeof(bits));
		appendBig32(exposure, bits);
	}
	appendBig16(levels, 2);
	for (int record = 0; record < 29; record++) {
		for (uint32_t value : {10u, 240u, 0u, 255u, 120u})
			appendBig16(levels, value);
	}
	return {{"nvrt", {}}, {"brit", brightness}, {"expA", exposure}, {"levl", levels}};
}

// Layered files: blend modes, clipping, groups with masks, fills, paths,
// feathered masks, knockout, "blend if", channel restrictions, effects,
// adjustments, ZIP channels, and the section dividers out of balance.
bool writeLayerSeeds()
{
	const uint32_t side = 24;
	std::vector<LayerRecord> stack = {seedLayer(0, 0, side, 1), seedLayer(6, 4, 16, 2),
	                                  seedLayer(-5, 10, 16, 3)};
	stack[1].blendMode = "mul ";
	stack[2].clipping = 1;
	stack[2].opacity = 128;
	LayerRecord end, group, fill;
	end.blocks.push_back(sectionDivider(3));
	group.blocks.push_back(sectionDivider(1, "pass"));
	group.maskData = maskData(2, 2, 20, 20, 0);
	group.channels.push_back({-2, planeBytes(18 * 18, 9)});
	fill.blocks.push_back(solidColour(200, 40, 90));
	fill.blendMode = "scrn";

	LayerRecord shape = fill;
	shape.blocks.push_back(squarePath(0.2, 0.25, 0.7, 0.8));
	shape.blocks.push_back(seedStyle());
	LayerRecord older = fill;
	older.blocks.push_back(squarePath(0.3, 0.2, 0.8, 0.6));
	older.blocks.push_back(seedLegacyStyle());
	LayerRecord feathered = seedLayer(2, 2, 20, 4);
	feathered.maskData = maskData(0, 0, 12, 24, 0);
	feathered.maskData[17] = 16; // parameters follow: a feather of 3 pixels
	feathered.maskData.resize(18);
	feathered.maskData.push_back(2);
	for (uint8_t byte : {0x40, 0x08, 0, 0, 0, 0, 0, 0})
		feathered.maskData.push_back(byte);
	feathered.channels.push_back({-2, planeBytes(12 * 24, 5)});
	LayerRecord blending = seedLayer(3, 3, 18, 6);
	blending.blocks.push_back({"knko", {1, 0, 0, 0}});
	blending.blocks.push_back({"brst", {0, 0, 0, 1}});
	blending.blendingRanges = {0, 0, 255, 255, 40, 90, 160, 230};
	LayerRecord zipped = seedLayer(4, 0, 16, 7);
	for (LayerChannel& channel : zipped.channels) {
		channel.stored = {0, 2};
		const Bytes stream = zlibStream(channel.samples);
		channel.stored.insert(channel.stored.end(), stream.begin(), stream.end());
	}
	std::vector<LayerRecord> adjustments = {stack[0]};
	for (const LayerBlock& block : seedAdjustments()) {
		LayerRecord adjustment;
		adjustment.blocks.push_back(block);
		adjustments.push_back(adjustment);
	}

	bool ok = true;
	auto seed = [&](const char* name, const std::vector<LayerRecord>& layers) {
		PsdLayout layout = psdLayout(3, 8, 3, side, side);
		layout.layerInfo = layerSection(layers);
		std::vector<Bytes> planes(3, Bytes(side * side, 255));
		ok &= writeSeed("layers", name, psdPackBits(layout, planes));
	};
	seed("stack.psd", stack);
	seed("group.psd", {stack[0], end, stack[1], stack[2], group, fill});
	seed("unbalanced.psd", {end, stack[1], end, fill, group, group});
	seed("shape-with-effects.psd", {stack[0], shape});
	seed("shape-with-older-effects.psd", {stack[0], older});
	seed("masks-and-blending.psd", {stack[0], feathered, blending, zipped});
	seed("adjustments.psd", adjustments);
	return ok;
}

Bytes fileBytes(const char* path)
{
	std::ifstream file(path, std::ios::binary);
	return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The colour target's byte, then the profile.
bool writeColourSeed(const std::string& name, uint8_t choice, Bytes profile)
{
	profile.insert(profile.begin(), choice);
	return writeSeed("colour", name, profile);
}

bool writeColourSeeds()
{
	const Bytes wide = gammaProfile(2.2);
	const Bytes gray = gammaProfile(2.2, true);
	const Bytes srgb = savedProfile(cmsCreate_sRGBProfile());
	const Bytes cmyk = fileBytes("/usr/share/color/icc/ghostscript/default_cmyk.icc");
	bool ok = writeColourSeed("gray", 0, gray) && writeColourSeed("gray16-reduced", 4 | 16, gray) &&
	          writeColourSeed("srgb", 1, srgb) && writeColourSeed("wide", 1, wide) &&
	          writeColourSeed("wide16-kept", 1 | 4 | 8, wide) &&
	          writeColourSeed("wide-reduced", 1 | 16, wide) && writeColourSeed("lab", 3, Bytes()) &&
	          writeColourSeed("damaged", 1, Bytes(srgb.begin(), srgb.begin() + srgb.size() / 2)) &&
	          writeColourSeed("other-space", 2, srgb);
	if (!cmyk.empty())
		ok &=
		    writeColourSeed("cmyk", 2, cmyk) && writeColourSeed("cmyk16-reduced", 2 | 4 | 16, cmyk);
	return ok;
}

bool endsWith(const std::string& s, const std::string& suffix)
{
	return s.size() >= suffix.size() &&
	       s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool writeExample(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	if (!file.eof() && !file)
		return false;
	const std::string name = "example-" + path.substr(path.find_last_of('/') + 1);
	if (endsWith(path, ".scr"))
		return writeSeed("wendral", name, bytes);
	bytes.insert(bytes.begin(), 0); // default settings
	return writeSeed("tarnwick", name, bytes);
}

} // namespace

int main(int argc, char** argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: %s OUT [example files...]\n", argv[0]);
		return 2;
	}
	gOut = argv[1];
	bool ok = writeTarnwickSeeds() && writeLayerSeeds() && writeWendralSeeds() &&
	          writeSettingsSeeds() && writePackBitsSeeds() && writeColourSeeds();
	for (int i = 2; i < argc && ok; i++)
		ok = writeExample(argv[i]);
	if (!ok) {
		fprintf(stderr, "%s: cannot write the seeds into %s\n", argv[0], gOut.c_str());
		return 1;
	}
	return 0;
}
