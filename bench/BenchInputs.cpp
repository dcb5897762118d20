#include "BenchInputs.h"

#include "PsdLayerWriter.h"

#include <algorithm>

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
// samples rarely repeat, as in a photograph.
psdtest::Bytes photo_plane(uint32_t side, int plane, int sampleBytes)
{
	psdtest::Bytes bytes((size_t)side * side * sampleBytes);
	Noise noise = {0x9E3779B9u * (plane + 1)};
	size_t i = 0;
	for (uint32_t y = 0; y < side; y++) {
		for (uint32_t x = 0; x < side; x++) {
			uint32_t base = (plane & 1) ? x : y;
			base = (base + (plane & 2 ? side - 1 - x : x)) * 192 / (2 * side) + 32;
			bytes[i++] = (uint8_t)(base + (noise.Next() & 31) - 16);
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

}  // namespace

std::vector<BenchCase> bench_cases(uint32_t side)
{
	const uint32_t half = side / 2 > 0 ? side / 2 : 1;
	return {
		{"rgb8_photo_packbits", kPsdRGB, 3, 8, true, Content::kPhoto, side, true},
		{"rgb8_graphics_packbits", kPsdRGB, 3, 8, true, Content::kGraphics, side, true},
		{"rgb8_photo_raw", kPsdRGB, 3, 8, false, Content::kPhoto, side, true},
		{"rgba8_photo_packbits_alpha4", kPsdRGB, 4, 8, true, Content::kPhoto, side, true},
		{"cmyk8_photo_packbits", kPsdCMYK, 4, 8, true, Content::kPhoto, side, false},
		{"gray8_photo_packbits", kPsdGray, 1, 8, true, Content::kPhoto, side, false},
		{"rgb16_photo_raw", kPsdRGB, 3, 16, false, Content::kPhoto, half, true},
		{"rgb16_photo_packbits", kPsdRGB, 3, 16, true, Content::kPhoto, half, false},
	};
}

psdtest::Bytes bench_psd(const BenchCase& benchCase)
{
	psdtest::PsdLayout layout = psdtest::psdLayout(benchCase.mode, benchCase.depth,
		benchCase.channels, benchCase.side, benchCase.side);
	std::vector<psdtest::Bytes> planes;
	for (int plane = 0; plane < benchCase.channels; plane++) {
		int sampleBytes = benchCase.depth / 8;
		planes.push_back(benchCase.content == Content::kPhoto
				? photo_plane(benchCase.side, plane, sampleBytes)
				: graphics_plane(benchCase.side, plane, sampleBytes));
	}
	return benchCase.packed ? psdtest::psdPackBits(layout, planes)
							: psdtest::psdRaw(layout, planes);
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
	return psdtest::psdPackBits(layout,
		std::vector<psdtest::Bytes>(3, psdtest::Bytes((size_t)side * side, 255)));
}
