#ifndef BENCH_DROP_IO_H
#define BENCH_DROP_IO_H

#include <DataIO.h>

// An output that keeps nothing of what it is given.
class DropIO : public BPositionIO {
public:
	ssize_t ReadAt(off_t, void*, size_t) override { return 0; }
	ssize_t WriteAt(off_t, const void*, size_t size) override { return (ssize_t)size; }
	off_t Seek(off_t position, uint32) override { return position; }
	off_t Position() const override { return 0; }
};

#endif
