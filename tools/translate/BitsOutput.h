#ifndef TRANSLATE_BITS_OUTPUT_H
#define TRANSLATE_BITS_OUTPUT_H

#include <WriteOnlyIO.h>

#include <cstdio>
#include <string>

// The stream an add-on writes into when the result is its Be bitmap stream
// as is: every write goes straight to the file.
class BitsOutput : public BPrivate::WriteOnlyIO {
public:
	explicit BitsOutput(FILE* out) : fOut(out) {}

	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;

	// A write to the file failed; Reason() says why.
	bool Failed() const { return !fReason.empty(); }
	const std::string& Reason() const { return fReason; }

private:
	FILE* fOut;
	off_t fFilePosition = 0;
	std::string fReason;
};

#endif
