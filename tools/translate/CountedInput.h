#ifndef TRANSLATE_COUNTED_INPUT_H
#define TRANSLATE_COUNTED_INPUT_H

#include "ProgressLine.h"

#include <DataIO.h>

// An input as the add-on reads it, telling the file's progress how many
// bytes have been read (the file's size first).
class CountedInput : public BPositionIO {
public:
	CountedInput(BPositionIO* input, FileProgress* progress);

	ssize_t Read(void* buffer, size_t size) override;
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override;
	status_t SetSize(off_t size) override;
	status_t GetSize(off_t* size) const override;

private:
	ssize_t _Counted(ssize_t result);

	BPositionIO* fInput;
	FileProgress* fProgress;
};

#endif
