#include "AddonDirectories.h"

#include <AddOnDirectories.h>

#include <climits>
#include <unistd.h>

std::vector<std::string> default_addon_directories()
{
	std::vector<std::string> found;
	char exe[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
	if (length <= 0)
		return found;
	exe[length] = '\0';
	for (const std::string& candidate :
	     BPrivate::translator_directories(BPrivate::ancestor_directory(exe, 2))) {
		if (BPrivate::is_directory(candidate))
			found.push_back(candidate);
	}
	return found;
}
