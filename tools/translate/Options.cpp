#include "Options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Past the largest image any add-on reads (PSB: 300000 pixels a side).
const int kMaxSizeBox = 1000000;

struct Parsed {
	bool help = false;
	bool version = false;
	bool identify = false;
	bool list = false;
	std::string configure;
	bool configureGiven = false;
	bool formatGiven = false;
	OutputFormat format = OutputFormat::kPng;
	std::string directory;
	bool directoryGiven = false;
	std::vector<std::string> addonDirectories;
	std::vector<std::string> operands;
	int threads = 0;
	int pngLevel = 1;
	LayerReading layers = LayerReading::kAutomatic;
	int size = 0;
	int64_t limit = 0;
	bool quiet = false;
	ColourHandling colour = ColourHandling::kManaged;
	// -j, --png-level, --size, --limit, --layers, --merged, --keep-profile or
	// --no-color-management
	bool conversionOptionGiven = false;
};

// A whole decimal number from low to high; false with the reason otherwise.
bool parse_number(const std::string& name, const std::string& text, int low, int high, int* value,
                  std::string* error)
{
	char* end = nullptr;
	long number = text.empty() ? 0 : strtol(text.c_str(), &end, 10);
	if (text.empty() || *end != '\0' || number < low || number > high) {
		*error = "option '" + name + "' takes a number from " + std::to_string(low) + " to " +
		         std::to_string(high) + ", not '" + text + "'";
		return false;
	}
	*value = (int)number;
	return true;
}

// A count of pixel operations, whole or with a k, M, G or T suffix (20G).
bool parse_work(const std::string& name, const std::string& text, int64_t* value,
                std::string* error)
{
	char* end = nullptr;
	double number = text.empty() ? 0 : strtod(text.c_str(), &end);
	if (!text.empty() && *end != '\0' && end[1] == '\0') {
		const char* suffixes = "kMGT";
		const char* at = strchr(suffixes, *end);
		if (at != nullptr) {
			number *= std::pow(1000.0, (double)(at - suffixes + 1));
			end++;
		}
	}
	if (text.empty() || *end != '\0' || !(number >= 1 && number <= 9e18)) {
		*error = "option '" + name +
		         "' takes a number of pixel operations, such as 20000000000 "
		         "or 20G, not '" +
		         text + "'";
		return false;
	}
	*value = (int64_t)number;
	return true;
}

// Splits "--name=value"; a value-taking option may also take the next argument.
bool take_value(int argc, char** argv, int* i, const std::string& name,
                const std::string& inlineValue, bool hasInline, std::string* value,
                std::string* error)
{
	if (hasInline) {
		*value = inlineValue;
		return true;
	}
	if (*i + 1 >= argc) {
		*error = "option '" + name + "' needs a value";
		return false;
	}
	*value = argv[++*i];
	return true;
}

bool parse_arguments(int argc, char** argv, Parsed* p, std::string* error)
{
	bool optionsEnded = false;
	for (int i = 1; i < argc; i++) {
		std::string arg = argv[i];
		if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
			p->operands.push_back(arg);
			continue;
		}
		if (arg == "--") {
			optionsEnded = true;
			continue;
		}
		std::string name = arg, inlineValue;
		bool hasInline = false;
		size_t equals = arg.find('=');
		if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
			name = arg.substr(0, equals);
			inlineValue = arg.substr(equals + 1);
			hasInline = true;
		} else if (arg.size() > 2 && arg.compare(0, 2, "-j") == 0) {
			name = "-j"; // -j4, as make takes it
			inlineValue = arg.substr(2);
			hasInline = true;
		}

		bool isFlag = name == "-h" || name == "--help" || name == "--version" ||
		              name == "--identify" || name == "--list" || name == "--layers" ||
		              name == "--merged" || name == "-q" || name == "--quiet" ||
		              name == "--keep-profile" || name == "--no-color-management";
		if (isFlag && hasInline) {
			*error = "option '" + name + "' takes no value";
			return false;
		}

		std::string value;
		if (name == "-h" || name == "--help") {
			p->help = true;
		} else if (name == "--version") {
			p->version = true;
		} else if (name == "--identify") {
			p->identify = true;
		} else if (name == "--list") {
			p->list = true;
		} else if (name == "-q" || name == "--quiet") {
			p->quiet = true;
		} else if (name == "--layers" || name == "--merged") {
			const LayerReading reading =
			    name == "--layers" ? LayerReading::kLayers : LayerReading::kMerged;
			if (p->layers != LayerReading::kAutomatic && p->layers != reading) {
				*error = "--layers and --merged cannot be combined";
				return false;
			}
			p->layers = reading;
			p->conversionOptionGiven = true;
		} else if (name == "--keep-profile" || name == "--no-color-management") {
			const ColourHandling colour =
			    name == "--keep-profile" ? ColourHandling::kKeepProfile : ColourHandling::kAsStored;
			if (p->colour != ColourHandling::kManaged && p->colour != colour) {
				*error = "--keep-profile and --no-color-management cannot be combined";
				return false;
			}
			p->colour = colour;
			p->conversionOptionGiven = true;
		} else if (name == "--configure") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error))
				return false;
			p->configure = value;
			p->configureGiven = true;
		} else if (name == "-d" || name == "--directory") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error))
				return false;
			p->directory = value;
			p->directoryGiven = true;
		} else if (name == "-f" || name == "--format") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error))
				return false;
			if (!format_from_name(value, &p->format)) {
				*error = "unknown format '" + value + "' (use png or bits)";
				return false;
			}
			p->formatGiven = true;
		} else if (name == "-j" || name == "--jobs") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error) ||
			    !parse_number(name, value, 1, 1024, &p->threads, error))
				return false;
			p->conversionOptionGiven = true;
		} else if (name == "--png-level") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error) ||
			    !parse_number(name, value, 0, 9, &p->pngLevel, error))
				return false;
			p->conversionOptionGiven = true;
		} else if (name == "--size") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error) ||
			    !parse_number(name, value, 1, kMaxSizeBox, &p->size, error))
				return false;
			p->conversionOptionGiven = true;
		} else if (name == "--limit") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error) ||
			    !parse_work(name, value, &p->limit, error))
				return false;
			p->conversionOptionGiven = true;
		} else if (name == "--addons") {
			if (!take_value(argc, argv, &i, name, inlineValue, hasInline, &value, error))
				return false;
			p->addonDirectories.push_back(value);
		} else {
			*error = "unknown option '" + arg + "'";
			return false;
		}
	}
	return true;
}

// Output name in a directory: the input's file name with its extension
// replaced (or the format's extension added when it has none).
std::string output_in_directory(const std::string& directory, const std::string& input,
                                OutputFormat format)
{
	size_t slash = input.find_last_of('/');
	std::string base = slash == std::string::npos ? input : input.substr(slash + 1);
	size_t dot = base.find_last_of('.');
	if (dot != std::string::npos && dot > 0)
		base.erase(dot);
	std::string prefix = directory;
	if (prefix.empty() || prefix.back() != '/')
		prefix += '/';
	return prefix + base + format_extension(format);
}

bool plan_conversions(const Parsed& p, Options* options, std::string* error)
{
	if (p.directoryGiven) {
		if (p.directory.empty() || p.directory == "-") {
			*error = "-d needs a directory";
			return false;
		}
		if (p.operands.empty()) {
			*error = "no input files given";
			return false;
		}
		options->format = p.formatGiven ? p.format : OutputFormat::kPng;
		for (const std::string& input : p.operands) {
			if (input == "-" || input.empty() || input.back() == '/') {
				*error = "'" + input +
				         "' has no file name to name its output after; "
				         "convert it as IN OUT instead";
				return false;
			}
			std::string output = output_in_directory(p.directory, input, options->format);
			for (const Job& earlier : options->jobs) {
				if (earlier.output == output) {
					*error = "'" + earlier.input + "' and '" + input +
					         "' would both be written to '" + output + "'";
					return false;
				}
			}
			options->jobs.push_back({input, output});
		}
		return true;
	}

	if (p.operands.size() != 2) {
		*error = p.operands.size() < 2 ? "expected IN and OUT"
		                               : "too many files; to convert several, give -d DIR";
		return false;
	}
	const std::string& output = p.operands[1];
	if (p.formatGiven)
		options->format = p.format;
	else if (output == "-") {
		*error = "writing to standard output needs --format png or --format bits";
		return false;
	} else if (!format_from_path(output, &options->format)) {
		*error =
		    "cannot tell the output format from '" + output + "' (use .png or .bits, or --format)";
		return false;
	}
	options->jobs.push_back({p.operands[0], output});
	return true;
}

} // namespace

bool parse_options(int argc, char** argv, Options* options, std::string* error)
{
	Parsed p;
	if (!parse_arguments(argc, argv, &p, error))
		return false;
	options->addonDirectories = p.addonDirectories;

	if (p.help || p.version) {
		options->mode = p.help ? Mode::kHelp : Mode::kVersion;
		return true;
	}
	if (p.identify + p.list + p.configureGiven > 1) {
		*error = "--identify, --list and --configure cannot be combined";
		return false;
	}
	if (p.configureGiven) {
		if (p.directoryGiven || p.formatGiven || p.conversionOptionGiven || !p.operands.empty()) {
			*error = "--configure takes no files or conversion options";
			return false;
		}
		options->mode = Mode::kConfigure;
		options->configure = p.configure;
		return true;
	}
	if (p.identify || p.list) {
		if (p.directoryGiven || p.formatGiven || p.conversionOptionGiven) {
			*error = "-d, --format, -j, --png-level, --size, --limit, --layers, --merged, "
			         "--keep-profile and --no-color-management apply only to conversion";
			return false;
		}
		if (p.list && !p.operands.empty()) {
			*error = "--list takes no files";
			return false;
		}
		if (p.identify && p.operands.empty()) {
			*error = "--identify needs at least one file";
			return false;
		}
		options->mode = p.list ? Mode::kList : Mode::kIdentify;
		options->files = p.operands;
		return true;
	}
	options->mode = Mode::kConvert;
	options->threads = p.threads;
	options->pngLevel = p.pngLevel;
	options->layers = p.layers;
	options->size = p.size;
	options->limit = p.limit;
	options->quiet = p.quiet;
	options->colour = p.colour;
	return plan_conversions(p, options, error);
}

void print_usage(FILE* out)
{
	fputs("Usage: translate [OPTION]... IN OUT\n"
	      "       translate [OPTION]... -d DIR IN...\n"
	      "       translate --identify FILE...\n"
	      "       translate --list\n"
	      "       translate --configure NAME\n"
	      "Convert images to PNG or Be bitmap streams through translator add-ons.\n"
	      "\n"
	      "  -d, --directory DIR  write each IN into DIR, named after IN with the format's\n"
	      "                       extension\n"
	      "  -f, --format FORMAT  png or bits; by default taken from OUT's extension\n"
	      "                       (png with -d)\n"
	      "  -j, --jobs N         use N threads: up to N files at once, the rest compressing\n"
	      "                       PNG (default: one per core)\n"
	      "      --png-level N    PNG compression, 0 (none) to 9; 1, the default, is fast\n"
	      "                       and about as small as zlib's level 6; 2 to 9 are\n"
	      "                       zlib's levels\n"
	      "      --size N         make each image fit N x N pixels: scaled down, aspect\n"
	      "                       kept, never up (add-ons that cannot read an image\n"
	      "                       reduced write it at its own size)\n"
	      "      --limit N        let rendering a layered image cost up to N pixel\n"
	      "                       operations (20G: 20 billion); by default the add-on\n"
	      "                       allows what the file's size makes reasonable\n"
	      "      --layers         render layered images (PSD) from their layers\n"
	      "      --merged         read the merged image that layered images store\n"
	      "                       (by default the layers are rendered only when that\n"
	      "                       image is blank or missing)\n"
	      "      --keep-profile   keep the samples of RGB and grayscale images as they\n"
	      "                       are, with their colour profile in the PNG (by default\n"
	      "                       colours are converted to sRGB through the profile)\n"
	      "      --no-color-management\n"
	      "                       write colours as stored, without converting them\n"
	      "      --identify       tell which add-on and format would read each FILE\n"
	      "      --list           list the add-ons with their input and output formats\n"
	      "      --configure NAME open the settings window of the add-on NAME (its name\n"
	      "                       as --list shows it, or its file name, e.g. Tarnwick)\n"
	      "      --addons DIR     load add-ons from DIR instead of the default\n"
	      "                       directories (may be repeated)\n"
	      "  -q, --quiet          show no progress line (shown while converting when\n"
	      "                       standard error is a terminal)\n"
	      "  -h, --help           show this help and exit\n"
	      "      --version        show the version and exit\n"
	      "\n"
	      "IN, OUT and FILE may be '-' for standard input or output. By default add-ons\n"
	      "come from ../translators and ../lib/translators beside this program.\n"
	      "Exit status: 0 if every file succeeded, 1 if any failed, 2 for a usage error.\n",
	      out);
}
