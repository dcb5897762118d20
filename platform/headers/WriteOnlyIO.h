#ifndef _WRITE_ONLY_IO_H
#define _WRITE_ONLY_IO_H

#include <DataIO.h>

namespace BPrivate {

// The base of a stream a host hands to an add-on to write into: it keeps the
// position and the end of what was written, seeks anywhere at or after 0,
// and refuses reads.
class WriteOnlyIO : public BPositionIO {
public:
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	off_t Position() const override;

	// One past the furthest byte written.
	off_t End() const { return fEnd; }

protected:
	// Called by WriteAt for every write it takes.
	void Extend(off_t end);

private:
	off_t fPosition = 0;
	off_t fEnd = 0;
};

} // namespace BPrivate

#endif
