#include "SharedRoster.h"

#include <AddOnDirectories.h>

#include <dlfcn.h>

namespace {

// MODULE_DIR_DEPTH: how many directories the loader module directory lies
// below the prefix (5 for lib/x86_64-linux-gnu/gdk-pixbuf-2.0/2.10.0/loaders),
// the same in the build tree and when installed.
std::string module_prefix()
{
	Dl_info self;
	if (dladdr((const void*)&module_prefix, &self) == 0 || self.dli_fname == nullptr)
		return std::string();
	return BPrivate::ancestor_directory(self.dli_fname, 1 + MODULE_DIR_DEPTH);
}

SharedRoster* load_roster()
{
	SharedRoster* shared = new SharedRoster;
	shared->directories = BPrivate::translator_directories(module_prefix());
	for (const std::string& candidate : shared->directories) {
		if (BPrivate::is_directory(candidate))
			shared->roster.AddTranslators(candidate.c_str());
	}
	return shared;
}

} // namespace

SharedRoster& shared_roster()
{
	// Never deleted: unloading add-ons while the host program exits could
	// race with a decode on another of its threads.
	static SharedRoster* shared = load_roster();
	return *shared;
}
