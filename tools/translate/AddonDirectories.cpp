#include "AddonDirectories.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool is_directory(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string parent(const std::string& path)
{
	size_t slash = path.find_last_of('/');
	if (slash == std::string::npos)
		return ".";
	return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::vector<std::string> default_addon_directories()
{
	std::vector<std::string> found;
	char exe[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
	if (length <= 0)
		return found;
	exe[length] = '\0';
	std::string prefix = parent(parent(exe));
	if (prefix == "/")
		prefix.clear();
	for (const char* leaf : {"/translators", "/lib/translators"}) {
		std::string candidate = prefix + leaf;
		if (is_directory(candidate))
			found.push_back(candidate);
	}
	return found;
}
