#ifndef TRANSLATE_OPTIONS_H
#define TRANSLATE_OPTIONS_H

#include "OutputFormat.h"

#include <cstdio>
#include <string>
#include <vector>

enum class Mode { kConvert, kIdentify, kList, kConfigure, kHelp, kVersion };

// One file to convert and where its result goes ("-" is a standard stream).
struct Job {
	std::string input;
	std::string output;
};

enum class LayerReading { kAutomatic, kLayers, kMerged };

// What the add-ons are asked to do with colour: convert to sRGB through the
// image's profile (the default), keep RGB and gray samples with their
// profile (--keep-profile), or nothing (--no-color-management).
enum class ColourHandling { kManaged, kKeepProfile, kAsStored };

struct Options {
	Mode mode = Mode::kConvert;
	std::vector<std::string> addonDirectories; // empty: the default ones
	OutputFormat format = OutputFormat::kPng;
	std::vector<Job> jobs; // for kConvert
	int threads = 0;       // files converted at once; 0: one per core
	int pngLevel = 1;      // --png-level, 0 to 9
	// --layers or --merged: how a layered image is read; neither lets the
	// add-on decide.
	LayerReading layers = LayerReading::kAutomatic;
	int size = 0;       // --size N: a box of N x N; 0: full size
	int64_t limit = 0;  // --limit N: work a layered image may cost; 0: the add-on's
	bool quiet = false; // --quiet: no progress line
	ColourHandling colour = ColourHandling::kManaged;
	std::vector<std::string> files; // for kIdentify
	std::string configure;          // for kConfigure: the add-on's name
};

// Fills options from the command line; on a usage error returns false with
// the reason in words.
bool parse_options(int argc, char** argv, Options* options, std::string* error);

void print_usage(FILE* out);

#endif
