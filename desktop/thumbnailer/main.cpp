// translators-thumbnailer: the file managers' thumbnailer for the formats
// of the translator add-ons (see translators.thumbnailer).

#include "ResourceLimits.h"
#include "Thumbnail.h"

#include <AddonDirectories.h>
#include <FailureLine.h>
#include <InterruptCleanup.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

namespace {

// Past the sizes file managers ask for (128 to 1024).
const int kMaxSize = 4096;
const int kDefaultSize = 128;

void print_usage(FILE* out)
{
	fprintf(out,
	        "Usage: translators-thumbnailer [-s SIZE] IN OUT\n"
	        "Write a PNG thumbnail of the image IN, which one of the translator add-ons\n"
	        "reads, to OUT, as file managers ask for one.\n"
	        "\n"
	        "  -s, --size SIZE  fit the thumbnail in SIZE x SIZE pixels, aspect kept,\n"
	        "                   never enlarged (default 128)\n"
	        "  -h, --help       show this help and exit\n"
	        "      --version    show the version and exit\n"
	        "\n"
	        "The add-ons come from ../translators and ../lib/translators beside this\n"
	        "program. OUT appears only once complete. At most %d s of CPU time and\n"
	        "%llu GiB of address space are used.\n"
	        "Exit status: 0 if the thumbnail was written, 1 if not, 2 for a usage error.\n",
	        kCpuSeconds, kAddressSpaceBytes >> 30);
}

int usage_error(const std::string& message)
{
	fprintf(stderr,
	        "translators-thumbnailer: %s\n"
	        "Try 'translators-thumbnailer --help' for more information.\n",
	        message.c_str());
	return 2;
}

bool load_addons(BTranslatorRoster& roster)
{
	std::vector<std::string> directories = default_addon_directories();
	for (const std::string& directory : directories)
		roster.AddTranslators(directory.c_str());
	int32 count = 0;
	translator_id* ids = nullptr;
	if (roster.GetAllTranslators(&ids, &count) == B_OK)
		delete[] ids;
	if (count == 0)
		print_failure("no translator add-ons found beside this program");
	return count > 0;
}

} // namespace

int main(int argc, char** argv)
{
	static const option kOptions[] = {{"size", required_argument, nullptr, 's'},
	                                  {"help", no_argument, nullptr, 'h'},
	                                  {"version", no_argument, nullptr, 'V'},
	                                  {nullptr, 0, nullptr, 0}};
	int size = kDefaultSize;
	opterr = 0;
	for (int c; (c = getopt_long(argc, argv, ":s:h", kOptions, nullptr)) != -1;) {
		char* end = nullptr;
		switch (c) {
		case 's':
			size = (int)strtol(optarg, &end, 10);
			if (*optarg == '\0' || *end != '\0' || size < 1 || size > kMaxSize)
				return usage_error("option '-s' takes a number from 1 to " +
				                   std::to_string(kMaxSize) + ", not '" + optarg + "'");
			break;
		case 'h':
			print_usage(stdout);
			return 0;
		case 'V':
			printf("translators-thumbnailer %s\n", THUMBNAILER_VERSION);
			return 0;
		case ':':
			return usage_error(std::string("option '") + argv[optind - 1] + "' needs a value");
		default:
			return usage_error(std::string("unknown option '") + argv[optind - 1] + "'");
		}
	}
	if (argc - optind != 2)
		return usage_error("expected IN and OUT");
	const std::string input = argv[optind], output = argv[optind + 1];

	limit_resources(std::string(program_invocation_short_name) + ": " + input +
	                ": took more than " + std::to_string(kCpuSeconds) + " s of CPU time");
	remove_temporary_files_on_interrupt();
	BTranslatorRoster roster;
	if (!load_addons(roster))
		return 1;
	return make_thumbnail(roster, input, output, size) ? 0 : 1;
}
