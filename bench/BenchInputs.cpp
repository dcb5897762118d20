#include "BenchInputs.h"

#include "DescriptorWriter.h"
#include "PsdLayerWriter.h"
#include "TestProfiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// xorshift32: the same noise on every run and every machine.
struct Noise {
	uint32_t state;
	uint8_t Next()
	{
		state ^= state << 13;
		state ^= state >> 17;
		state ^= state << 5;
		return (uint8_t)(state >> 11);
	}
};

enum { kPsdRGB = 3, kPsdGray = 1, kPsdCMYK = 4 };

// A gradient that turns with the plane, plus noise of +-16: neighbouring
// samples rarely repeat, as in a photograph. Floats are the same values in
// linear light, with noise in their low mantissa bits.
psdtest::Bytes photo_plane(uint32_t side, int plane, int sampleBytes)
{
	psdtest::Bytes bytes((size_t)side * side * sampleBytes);
	Noise noise = {0x9E3779B9u * (plane + 1)};
	size_t i = 0;
	for (uint32_t y = 0; y < side; y++) {
		for (uint32_t x = 0; x < side; x++) {
			uint32_t base = (plane & 1) ? x : y;
			base = (base + (plane & 2 ? side - 1 - x : x)) * 192 / (2 * side) + 32;
			const uint8_t value = (uint8_t)(base + (noise.Next() & 31) - 16);
			if (sampleBytes == 4) {
				const float linear = std::pow(value / 255.0f, 2.2f);
				uint32_t bits;
				memcpy(&bits, &linear, 4);
				bits ^= noise.Next();
				for (int shift = 24; shift >= 0; shift -= 8)
					bytes[i++] = (uint8_t)(bits >> shift);
				continue;
			}
			bytes[i++] = value;
			if (sampleBytes == 2)
				bytes[i++] = noise.Next();
		}
	}
	return bytes;
}

// Flat tiles 40 to 300 pixels wide and 8 to 70 rows high with one-pixel
// dark borders, colours by tile: runs of up to a tile's width.
psdtest::Bytes graphics_plane(uint32_t side, int plane, int sampleBytes)
{
	psdtest::Bytes bytes((size_t)side * side * sampleBytes);
	Noise layout = {12345};
	size_t i = 0;
	uint32_t bandTop = 0, bandHeight = 0;
	std::vector<uint32_t> edges;
	for (uint32_t y = 0; y < side; y++) {
		if (y == bandTop + bandHeight) {
			bandTop = y;
			bandHeight = 8 + layout.Next() % 63;
			edges.clear();
			for (uint32_t x = 0; x < side; x += 40 + layout.Next() % 261)
				edges.push_back(x);
			edges.push_back(side);
		}
		size_t tile = 0;
		for (uint32_t x = 0; x < side; x++) {
			while (x >= edges[tile + 1])
				tile++;
			bool border = x == edges[tile] || y == bandTop;
			uint8_t value = border ? 20 : (uint8_t)((bandTop * 7 + tile * 53) * (plane + 3));
			for (int b = 0; b < sampleBytes; b++)
				bytes[i++] = value;
		}
	}
	return bytes;
}

} // namespace

std::vector<BenchCase> bench_cases(uint32_t side)
{
	const uint32_t half = side / 2 > 0 ? side / 2 : 1;
	return {
	    {"rgb8_photo_packbits", kPsdRGB, 3, 8, 1, Content::kPhoto, side, true},
	    {"rgb8_graphics_packbits", kPsdRGB, 3, 8, 1, Content::kGraphics, side, true},
	    {"rgb8_photo_raw", kPsdRGB, 3, 8, 0, Content::kPhoto, side, true},
	    {"rgba8_photo_packbits_alpha4", kPsdRGB, 4, 8, 1, Content::kPhoto, side, true},
	    {"cmyk8_photo_packbits", kPsdCMYK, 4, 8, 1, Content::kPhoto, side, false},
	    {"gray8_photo_packbits", kPsdGray, 1, 8, 1, Content::kPhoto, side, false},
	    {"rgb16_photo_raw", kPsdRGB, 3, 16, 0, Content::kPhoto, half, true},
	    {"rgb16_photo_packbits", kPsdRGB, 3, 16, 1, Content::kPhoto, half, false},
	    {"rgb32_photo_raw", kPsdRGB, 3, 32, 0, Content::kPhoto, half, false},
	    {"rgb8_photo_zip_predicted", kPsdRGB, 3, 8, 3, Content::kPhoto, side, false},
	    {"rgb16_photo_zip_predicted", kPsdRGB, 3, 16, 3, Content::kPhoto, half, false},
	};
}

std::vector<BenchCase> bench_colour_cases(uint32_t side)
{
	return {
	    {"cmyk8_photo_packbits_swop", kPsdCMYK, 4, 8, 1, Content::kPhoto, side, false,
	     Profile::kSwop},
	    {"rgb8_photo_packbits_adobe", kPsdRGB, 3, 8, 1, Content::kPhoto, side, false,
	     Profile::kAdobeRgb},
	    {"cmyk8_graphics_packbits_swop", kPsdCMYK, 4, 8, 1, Content::kGraphics, side, false,
	     Profile::kSwop},
	    {"rgb8_graphics_packbits_adobe", kPsdRGB, 3, 8, 1, Content::kGraphics, side, false,
	     Profile::kAdobeRgb},
	};
}

psdtest::Bytes bench_profile(Profile profile)
{
	if (profile == Profile::kSwop) {
		std::ifstream file("/usr/share/color/icc/ghostscript/default_cmyk.icc", std::ios::binary);
		return psdtest::Bytes(std::istreambuf_iterator<char>(file), {});
	}
	if (profile != Profile::kAdobeRgb)
		return psdtest::Bytes();
	return psdtest::gammaProfile(563 / 256.0);
}

std::string BenchCase::RawName() const
{
	return name.substr(0, name.find("_zip")) + "_raw";
}

static psdtest::PsdLayout bench_layout(const BenchCase& benchCase)
{
	return psdtest::psdLayout(benchCase.mode, benchCase.depth, benchCase.channels, benchCase.side,
	                          benchCase.side);
}

size_t bench_zip_stream_offset(const BenchCase& benchCase)
{
	return psdtest::psdFrontMatter(bench_layout(benchCase)).size() + 2;
}

uint64_t bench_zip_inflated_size(const BenchCase& benchCase)
{
	return (uint64_t)bench_layout(benchCase).RowBytes() * benchCase.side * benchCase.channels;
}

std::vector<psdtest::Bytes> bench_planes(const BenchCase& benchCase)
{
	std::vector<psdtest::Bytes> planes;
	for (int plane = 0; plane < benchCase.channels; plane++) {
		int sampleBytes = benchCase.depth / 8;
		planes.push_back(benchCase.content == Content::kPhoto
		                     ? photo_plane(benchCase.side, plane, sampleBytes)
		                     : graphics_plane(benchCase.side, plane, sampleBytes));
	}
	return planes;
}

psdtest::Bytes bench_psd(const BenchCase& benchCase)
{
	psdtest::PsdLayout layout = bench_layout(benchCase);
	const psdtest::Bytes profile = bench_profile(benchCase.profile);
	if (!profile.empty())
		layout.imageResources = psdtest::imageResource(1039, profile);
	const std::vector<psdtest::Bytes> planes = bench_planes(benchCase);
	switch (benchCase.compression) {
	case 0:
		return psdtest::psdRaw(layout, planes);
	case 1:
		return psdtest::psdPackBits(layout, planes);
	default:
		return psdtest::psdZip(layout, planes, benchCase.compression == 3);
	}
}

psdtest::Bytes bench_layered_psd(uint32_t side, int layers)
{
	std::vector<psdtest::LayerRecord> records;
	for (int layer = 0; layer < layers; layer++) {
		psdtest::LayerRecord record;
		record.right = (int32_t)side;
		record.bottom = (int32_t)side;
		for (int16_t id = -1; id < 3; id++) {
			psdtest::Bytes samples = photo_plane(side, 4 * layer + id + 1, 1);
			if (id == -1) {
				// Opaque, clear and in between, in bands across the canvas.
				for (size_t i = 0; i < samples.size(); i++)
					samples[i] = (uint8_t)std::min(255, std::max(0, 3 * samples[i] - 200));
			}
			record.channels.push_back({id, samples});
		}
		records.push_back(record);
	}
	psdtest::PsdLayout layout = psdtest::psdLayout(kPsdRGB, 8, 3, side, side);
	layout.layerInfo = psdtest::layerSection(records);
	return psdtest::psdPackBits(
	    layout, std::vector<psdtest::Bytes>(3, psdtest::Bytes((size_t)side * side, 255)));
}

// The layer style of the effects case: a soft drop shadow, an outer glow,
// an inner shadow and an outside stroke, as Photoshop writes them.
static psdtest::Bytes bench_layer_style()
{
	psdtest::DescriptorBytes d;
	d.Head("null", 6).Unit("Scl ", "#Prc", 100).Bool("masterFXSwitch", true);
	d.Object("DrSh", "DrSh", 8).Bool("enab", true).Enum("Md  ", "BlnM", "Mltp");
	d.RGB("Clr ", 0, 0, 0).Unit("Opct", "#Prc", 75).Bool("uglg", true);
	d.Unit("Dstn", "#Pxl", 12).Unit("Ckmt", "#Prc", 10).Unit("blur", "#Pxl", 24);
	d.Object("OrGl", "OrGl", 6).Bool("enab", true).Enum("Md  ", "BlnM", "Scrn");
	d.RGB("Clr ", 255, 255, 190).Unit("Opct", "#Prc", 60).Enum("GlwT", "BETE", "SfBL");
	d.Unit("blur", "#Pxl", 18);
	d.Object("IrSh", "IrSh", 6).Bool("enab", true).RGB("Clr ", 20, 0, 60);
	d.Unit("Opct", "#Prc", 50).Bool("uglg", true).Unit("Dstn", "#Pxl", 6);
	d.Unit("blur", "#Pxl", 10);
	d.Object("FrFX", "FrFX", 5).Bool("enab", true).Enum("Styl", "FStl", "OutF");
	d.Enum("PntT", "FrFl", "SClr").Unit("Sz  ", "#Pxl", 5).RGB("Clr ", 250, 40, 30);
	return d.Effects();
}

psdtest::Bytes bench_effects_psd(uint32_t side)
{
	psdtest::LayerRecord background;
	background.right = background.bottom = (int32_t)side;
	for (int16_t id = 0; id < 3; id++)
		background.channels.push_back({id, photo_plane(side, id, 1)});
	// A disk with a soft edge, photo-like inside.
	psdtest::LayerRecord disk = background;
	disk.channels.clear();
	psdtest::Bytes alpha((size_t)side * side);
	const double centre = side / 2.0, radius = side / 3.0;
	for (uint32_t y = 0; y < side; y++) {
		for (uint32_t x = 0; x < side; x++) {
			const double d = std::hypot(x + 0.5 - centre, y + 0.5 - centre) - radius;
			alpha[(size_t)y * side + x] = (uint8_t)(255 * std::min(1.0, std::max(0.0, 0.5 - d)));
		}
	}
	disk.channels.push_back({-1, alpha});
	for (int16_t id = 0; id < 3; id++)
		disk.channels.push_back({id, photo_plane(side, 3 + id, 1)});
	disk.blocks.push_back({"lfx2", bench_layer_style()});
	psdtest::PsdLayout layout = psdtest::psdLayout(kPsdRGB, 8, 3, side, side);
	layout.layerInfo = psdtest::layerSection({background, disk});
	return psdtest::psdPackBits(
	    layout, std::vector<psdtest::Bytes>(3, psdtest::Bytes((size_t)side * side, 255)));
}
