#ifndef TRANSLATE_OUTPUT_FILE_H
#define TRANSLATE_OUTPUT_FILE_H

#include <cstdio>
#include <string>

// Where one result goes: standard output ("-"), or a temporary file in the
// target's directory that replaces the target only on Commit, so that a
// failed conversion never leaves a partial file behind.
class OutputFile {
public:
	OutputFile() = default;
	~OutputFile();

	bool Open(const std::string& path, std::string* reason);
	FILE* Stream() const { return fFile; }
	// Flushes and puts the file in place; false with the reason on failure.
	bool Commit(std::string* reason);

private:
	void _Discard();

	std::string fPath;
	std::string fTempPath;
	int fInterruptSlot = -1;
	FILE* fFile = nullptr;

	OutputFile(const OutputFile&) = delete;
	OutputFile& operator=(const OutputFile&) = delete;
};

#endif
