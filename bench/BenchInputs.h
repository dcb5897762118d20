#ifndef BENCH_INPUTS_H
#define BENCH_INPUTS_H

// The PSD files the benchmarks decode, made in memory by the project's
// test-side PSD writer.

#include "PsdWriter.h"

#include <cstdint>
#include <string>
#include <vector>

enum class Content {
	kPhoto,    // smooth gradients under noise: PackBits gains almost nothing
	kGraphics, // flat tiles with thin borders: long runs
};

// The ICC profile a document carries: none, Ghostscript's SWOP profile
// (read from the system, where libgs-common installed it) or Adobe RGB
// (1998) as lcms2 makes it.
enum class Profile { kNone, kSwop, kAdobeRgb };

struct BenchCase {
	std::string name;
	uint16_t mode;
	uint16_t channels;
	uint16_t depth;
	uint16_t compression; // 0 raw, 1 PackBits, 3 ZIP with prediction
	Content content;
	uint32_t side; // width and height
	// stb_image reads RGB mode, but not 16-bit PackBits (it unpacks those as
	// 8-bit planes); with four channels it also unmattes the colours.
	bool stbReads;
	Profile profile = Profile::kNone;

	uint64_t Pixels() const { return (uint64_t)side * side; }
	bool IsZip() const { return compression >= 2; }
	// The case of the same image stored raw.
	std::string RawName() const;
};

// Every case, 8-bit ones `side` pixels square, 16-bit ones half that.
std::vector<BenchCase> bench_cases(uint32_t side);

// Colour-managed cases: a CMYK document with SWOP's profile and an RGB one
// with Adobe RGB's, photo-like (`side` pixels square) and graphics-like (for
// thumbnails of large files).
std::vector<BenchCase> bench_colour_cases(uint32_t side);

// The planes of a case's image, as its file stores them.
std::vector<psdtest::Bytes> bench_planes(const BenchCase& benchCase);

// The bytes of the case's profile; empty for none, or where the system has
// no SWOP profile.
psdtest::Bytes bench_profile(Profile profile);

// The file of a case; deterministic, the same bytes on every call.
psdtest::Bytes bench_psd(const BenchCase& benchCase);

// An RGB document of `layers` normal layers the whole canvas large, each
// photo-like with transparency that comes and goes, PackBits like every
// channel Photoshop writes; its merged image is plain.
psdtest::Bytes bench_layered_psd(uint32_t side, int layers);

// An RGB document of two layers: a photo-like background and, over it, a
// disk with a shadow, a glow, an inner shadow and a stroke.
psdtest::Bytes bench_effects_psd(uint32_t side);

// Where a ZIP case's zlib stream starts in its file, and the bytes it
// inflates to.
size_t bench_zip_stream_offset(const BenchCase& benchCase);
uint64_t bench_zip_inflated_size(const BenchCase& benchCase);

#endif
