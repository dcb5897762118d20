#include "DescriptorIO.h"

#include <Errors.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Moves the whole count unless the file ends or fails, as BFile does.
template <typename Op> ssize_t transfer_all(size_t size, Op op)
{
	size_t done = 0;
	while (done < size) {
		ssize_t n = op(done);
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0)
			return done > 0 ? (ssize_t)done : (ssize_t)B_IO_ERROR;
		if (n == 0)
			break;
		done += (size_t)n;
	}
	return (ssize_t)done;
}

} // namespace

ssize_t DescriptorIO::ReadAt(off_t position, void* buffer, size_t size)
{
	if (position < 0)
		return B_BAD_VALUE;
	char* bytes = (char*)buffer;
	return transfer_all(
	    size, [&](size_t done) { return pread(fFd, bytes + done, size - done, position + done); });
}

ssize_t DescriptorIO::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0)
		return B_BAD_VALUE;
	const char* bytes = (const char*)buffer;
	return transfer_all(
	    size, [&](size_t done) { return pwrite(fFd, bytes + done, size - done, position + done); });
}

off_t DescriptorIO::Seek(off_t position, uint32 seekMode)
{
	off_t base = 0;
	if (seekMode == SEEK_CUR)
		base = fPosition;
	else if (seekMode == SEEK_END && GetSize(&base) != B_OK)
		return B_IO_ERROR;
	else if (seekMode != SEEK_SET && seekMode != SEEK_END)
		return B_BAD_VALUE;
	if (base + position < 0)
		return B_BAD_VALUE;
	return fPosition = base + position;
}

status_t DescriptorIO::GetSize(off_t* size) const
{
	struct stat st;
	if (fstat(fFd, &st) != 0)
		return B_IO_ERROR;
	*size = st.st_size;
	return B_OK;
}
