#include <WriteOnlyIO.h>

#include <Errors.h>

#include <algorithm>
#include <cstdio>

namespace BPrivate {

ssize_t WriteOnlyIO::ReadAt(off_t, void*, size_t)
{
	return B_NOT_SUPPORTED;
}

off_t WriteOnlyIO::Seek(off_t position, uint32 seekMode)
{
	off_t base;
	switch (seekMode) {
	case SEEK_SET:
		base = 0;
		break;
	case SEEK_CUR:
		base = fPosition;
		break;
	case SEEK_END:
		base = fEnd;
		break;
	default:
		return B_BAD_VALUE;
	}
	if (base + position < 0)
		return B_BAD_VALUE;
	return fPosition = base + position;
}

off_t WriteOnlyIO::Position() const
{
	return fPosition;
}

void WriteOnlyIO::Extend(off_t end)
{
	fEnd = std::max(fEnd, end);
}

} // namespace BPrivate
