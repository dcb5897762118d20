// translate: converts images to PNG or Be bitmap streams through the
// translator add-ons.

#include "AddonDirectories.h"
#include "Batch.h"
#include "Configure.h"
#include "InterruptCleanup.h"
#include "Options.h"
#include "Report.h"

#include <TranslatorHelpers.h>
#include <TranslatorRoster.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <malloc.h>

namespace {

bool load_addons(BTranslatorRoster& roster, std::vector<std::string> directories)
{
	if (directories.empty())
		directories = default_addon_directories();
	if (directories.empty()) {
		fprintf(stderr, "translate: no add-on directory beside this program; use --addons DIR\n");
		return false;
	}
	bool ok = true;
	for (const std::string& directory : directories) {
		if (roster.AddTranslators(directory.c_str()) != B_OK) {
			fprintf(stderr, "translate: cannot read add-on directory %s: %s\n", directory.c_str(),
			        strerror(errno));
			ok = false;
		}
	}
	int32 count = 0;
	translator_id* ids = nullptr;
	if (roster.GetAllTranslators(&ids, &count) == B_OK)
		delete[] ids;
	if (ok && count == 0) {
		fprintf(stderr, "translate: no translator add-ons found in %s\n",
		        BPrivate::joined(directories).c_str());
		ok = false;
	}
	return ok;
}

} // namespace

int main(int argc, char** argv)
{
	// A batch allocates buffers of the same few sizes file after file. By
	// default glibc maps the larger ones fresh each time and trims the rest,
	// and every file paid again for the page faults: up to half the time of a
	// PNG conversion of small images.
	mallopt(M_MMAP_THRESHOLD, 8 << 20);
	mallopt(M_TRIM_THRESHOLD, 32 << 20);

	Options options;
	std::string error;
	if (!parse_options(argc, argv, &options, &error)) {
		fprintf(stderr, "translate: %s\nTry 'translate --help' for more information.\n",
		        error.c_str());
		return 2;
	}
	if (options.mode == Mode::kHelp) {
		print_usage(stdout);
		return 0;
	}
	if (options.mode == Mode::kVersion) {
		printf("translate %s\n", TRANSLATE_VERSION);
		return 0;
	}

	if (options.mode == Mode::kConvert)
		remove_temporary_files_on_interrupt();
	BTranslatorRoster roster;
	if (!load_addons(roster, options.addonDirectories))
		return 1;

	bool allSucceeded = true;
	switch (options.mode) {
	case Mode::kList:
		list_translators(roster);
		break;
	case Mode::kConfigure:
		allSucceeded = configure_translator(roster, options.configure);
		break;
	case Mode::kIdentify:
		for (const std::string& file : options.files)
			allSucceeded &= identify_file(roster, file);
		break;
	default:
		allSucceeded = convert_files(roster, options);
		break;
	}
	if (fflush(stdout) != 0) {
		fprintf(stderr, "translate: cannot write standard output: %s\n", strerror(errno));
		allSucceeded = false;
	}
	return allSucceeded ? 0 : 1;
}
