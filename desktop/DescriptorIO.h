#ifndef DESKTOP_DESCRIPTOR_IO_H
#define DESKTOP_DESCRIPTOR_IO_H

#include <DataIO.h>

// A positionable stream over an open file descriptor, read and written in
// place (pread, pwrite) whatever the descriptor's own offset; the
// descriptor stays its owner's.
class DescriptorIO : public BPositionIO {
public:
	explicit DescriptorIO(int fd) : fFd(fd) {}

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override { return fPosition; }
	status_t GetSize(off_t* size) const override;

private:
	int fFd;
	off_t fPosition = 0;
};

#endif
