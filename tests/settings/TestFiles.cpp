#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <unistd.h>

TemporaryFolder::TemporaryFolder()
{
	const char* base = getenv("TMPDIR");
	std::string pattern =
	    std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/tarnwick-test-XXXXXX";
	if (mkdtemp(&pattern[0]) != nullptr)
		fPath = pattern;
}

static int remove_entry(const char* path, const struct stat*, int, struct FTW*)
{
	return remove(path);
}

TemporaryFolder::~TemporaryFolder()
{
	if (!fPath.empty())
		nftw(fPath.c_str(), remove_entry, 8, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> TemporaryFolder::Entries() const
{
	std::vector<std::string> entries;
	DIR* dir = opendir(fPath.c_str());
	if (dir == nullptr)
		return entries;
	while (dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name != "." && name != "..")
			entries.push_back(name);
	}
	closedir(dir);
	return entries;
}

SettingsHome::SettingsHome(const std::string& folder)
{
	const char* saved = getenv("XDG_CONFIG_HOME");
	fHadValue = saved != nullptr;
	if (fHadValue)
		fSaved = saved;
	setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

SettingsHome::~SettingsHome()
{
	if (fHadValue)
		setenv("XDG_CONFIG_HOME", fSaved.c_str(), 1);
	else
		unsetenv("XDG_CONFIG_HOME");
}

StderrCapture::StderrCapture() : fSavedFd(dup(2)), fFile(tmpfile())
{
	fflush(stderr);
	if (fFile != nullptr)
		dup2(fileno(fFile), 2);
}

StderrCapture::~StderrCapture()
{
	Finish();
}

std::string StderrCapture::Finish()
{
	std::string captured;
	if (fSavedFd < 0)
		return captured;
	fflush(stderr);
	dup2(fSavedFd, 2);
	close(fSavedFd);
	fSavedFd = -1;
	if (fFile != nullptr) {
		rewind(fFile);
		char chunk[4096];
		size_t count;
		while ((count = fread(chunk, 1, sizeof(chunk), fFile)) > 0)
			captured.append(chunk, count);
		fclose(fFile);
		fFile = nullptr;
	}
	return captured;
}

bool write_file(const std::string& path, const std::string& content)
{
	FILE* file = fopen(path.c_str(), "wb");
	if (file == nullptr)
		return false;
	bool ok = fwrite(content.data(), 1, content.size(), file) == content.size();
	return fclose(file) == 0 && ok;
}

bool read_file(const std::string& path, std::string* content)
{
	FILE* file = fopen(path.c_str(), "rb");
	if (file == nullptr)
		return false;
	content->clear();
	char chunk[4096];
	size_t count;
	while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0)
		content->append(chunk, count);
	fclose(file);
	return true;
}
