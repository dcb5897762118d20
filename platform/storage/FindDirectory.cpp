#include <FindDirectory.h>

#include <Path.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

static bool settings_directory(std::string* out)
{
	const char* config = getenv("XDG_CONFIG_HOME");
	if (config != nullptr && config[0] == '/') {
		*out = config;
		return true;
	}
	const char* home = getenv("HOME");
	if (home != nullptr && home[0] == '/') {
		*out = std::string(home) + "/.config";
		return true;
	}
	return false;
}

static status_t find(directory_which which, std::string* out)
{
	switch (which) {
	case B_USER_SETTINGS_DIRECTORY:
	case B_USER_CONFIG_DIRECTORY:
		return settings_directory(out) ? B_OK : B_ENTRY_NOT_FOUND;
	case B_USER_DIRECTORY: {
		const char* home = getenv("HOME");
		if (home == nullptr || home[0] != '/')
			return B_ENTRY_NOT_FOUND;
		*out = home;
		return B_OK;
	}
	default:
		return B_BAD_VALUE;
	}
}

static status_t create_directories(const std::string& path)
{
	std::string partial;
	size_t start = 0;
	while (start <= path.size()) {
		size_t slash = path.find('/', start);
		if (slash == std::string::npos)
			slash = path.size();
		partial = path.substr(0, slash);
		if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
			return B_ERROR;
		start = slash + 1;
	}
	return B_OK;
}

status_t find_directory(directory_which which, BPath* path, bool createIt, BVolume*)
{
	if (path == nullptr)
		return B_BAD_VALUE;
	std::string found;
	status_t status = find(which, &found);
	if (status == B_OK && createIt)
		status = create_directories(found);
	if (status != B_OK)
		return status;
	return path->SetTo(found.c_str());
}

status_t find_directory(directory_which which, dev_t, bool createIt, char* returnedPath,
                        int32 pathLength)
{
	if (returnedPath == nullptr || pathLength <= 0)
		return B_BAD_VALUE;
	BPath path;
	status_t status = find_directory(which, &path, createIt);
	if (status != B_OK)
		return status;
	if (strlen(path.Path()) >= (size_t)pathLength)
		return B_BAD_VALUE;
	strcpy(returnedPath, path.Path());
	return B_OK;
}
