#ifndef TEST_FILES_H
#define TEST_FILES_H

#include <cstdio>
#include <string>
#include <vector>

// A fresh folder under TMPDIR (or /tmp), removed with its contents.
class TemporaryFolder {
public:
	TemporaryFolder();
	~TemporaryFolder();

	const std::string& Path() const { return fPath; }
	std::string File(const char* name) const { return fPath + "/" + name; }
	std::vector<std::string> Entries() const;

private:
	std::string fPath;
};

// Points the user settings directory at a folder for the life of the object.
class SettingsHome {
public:
	explicit SettingsHome(const std::string& folder);
	~SettingsHome();

private:
	std::string fSaved;
	bool fHadValue;
};

// Sends everything written to file descriptor 2 into a file until Finish.
class StderrCapture {
public:
	StderrCapture();
	~StderrCapture();
	std::string Finish();

private:
	int fSavedFd;
	FILE* fFile;
};

bool write_file(const std::string& path, const std::string& content);
bool read_file(const std::string& path, std::string* content);

#endif
