#include "BitsOutput.h"

#include <Errors.h>

#include <cerrno>
#include <cstring>

ssize_t BitsOutput::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0 || buffer == nullptr)
		return B_BAD_VALUE;
	if (Failed())
		return B_IO_ERROR;
	if (position != fFilePosition && fseeko(fOut, position, SEEK_SET) != 0) {
		fReason = strerror(errno);
		return B_IO_ERROR;
	}
	if (fwrite(buffer, 1, size, fOut) != size) {
		fReason = strerror(errno != 0 ? errno : EIO);
		return B_IO_ERROR;
	}
	fFilePosition = position + (off_t)size;
	Extend(fFilePosition);
	return (ssize_t)size;
}
