#ifndef TRANSLATE_INPUT_SOURCE_H
#define TRANSLATE_INPUT_SOURCE_H

#include <DataIO.h>
#include <File.h>

#include <string>

// An input for the add-ons, which need to seek: a regular file is read in
// place; standard input ("-"), pipes and devices are read into memory first.
class InputSource {
public:
	// On failure returns false with the reason in words (strerror style).
	bool Open(const std::string& path, std::string* reason);
	BPositionIO* Stream() { return fStream; }

private:
	bool _ReadAll(int fd, std::string* reason);

	BFile fFile;
	BMallocIO fMemory;
	BPositionIO* fStream = nullptr;
};

#endif
