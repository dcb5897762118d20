#include <AddOnDirectories.h>

#include <sys/stat.h>

namespace BPrivate {

std::vector<std::string> translator_directories(const std::string& prefix)
{
	return {prefix + "/translators", prefix + "/lib/translators"};
}

std::string ancestor_directory(const std::string& path, int levels)
{
	std::string directory = path;
	for (int i = 0; i < levels; i++) {
		size_t slash = directory.find_last_of('/');
		directory = slash == std::string::npos ? "." : directory.substr(0, slash);
	}
	return directory;
}

bool is_directory(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace BPrivate
