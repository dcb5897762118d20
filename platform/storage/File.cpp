#include <File.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

static status_t status_from_errno(int error)
{
	switch (error) {
	case ENOENT:
		return B_ENTRY_NOT_FOUND;
	case EACCES:
	case EPERM:
		return B_PERMISSION_DENIED;
	case ENOMEM:
		return B_NO_MEMORY;
	default:
		return B_FILE_ERROR;
	}
}

BFile::BFile() : fFd(-1), fStatus(B_NO_INIT) {}

BFile::BFile(const char* path, uint32 openMode) : fFd(-1), fStatus(B_NO_INIT)
{
	SetTo(path, openMode);
}

BFile::~BFile()
{
	Unset();
}

status_t BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	if (path == nullptr)
		return fStatus = B_BAD_VALUE;
	fFd = open(path, (int)openMode | O_CLOEXEC, 0644);
	if (fFd < 0)
		return fStatus = status_from_errno(errno);
	struct stat st;
	if (fstat(fFd, &st) == 0 && S_ISDIR(st.st_mode)) {
		Unset();
		return fStatus = B_FILE_ERROR;
	}
	return fStatus = B_OK;
}

status_t BFile::InitCheck() const
{
	return fStatus;
}

void BFile::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fStatus = B_NO_INIT;
}

// Loops until the whole count has moved, the file ends, or it fails.
template <typename Op> static ssize_t transfer_all(size_t size, Op op)
{
	size_t done = 0;
	while (done < size) {
		ssize_t n = op(done);
		if (n < 0) {
			if (errno == EINTR)
				continue;
			return done > 0 ? (ssize_t)done : status_from_errno(errno);
		}
		if (n == 0)
			break;
		done += (size_t)n;
	}
	return (ssize_t)done;
}

ssize_t BFile::Read(void* buffer, size_t size)
{
	if (fFd < 0)
		return B_NO_INIT;
	char* bytes = (char*)buffer;
	return transfer_all(size, [&](size_t done) { return read(fFd, bytes + done, size - done); });
}

ssize_t BFile::Write(const void* buffer, size_t size)
{
	if (fFd < 0)
		return B_NO_INIT;
	const char* bytes = (const char*)buffer;
	return transfer_all(size, [&](size_t done) { return write(fFd, bytes + done, size - done); });
}

ssize_t BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (fFd < 0)
		return B_NO_INIT;
	if (position < 0)
		return B_BAD_VALUE;
	char* bytes = (char*)buffer;
	return transfer_all(
	    size, [&](size_t done) { return pread(fFd, bytes + done, size - done, position + done); });
}

ssize_t BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (fFd < 0)
		return B_NO_INIT;
	if (position < 0)
		return B_BAD_VALUE;
	const char* bytes = (const char*)buffer;
	return transfer_all(
	    size, [&](size_t done) { return pwrite(fFd, bytes + done, size - done, position + done); });
}

off_t BFile::Seek(off_t position, uint32 seekMode)
{
	if (fFd < 0)
		return B_NO_INIT;
	off_t result = lseek(fFd, position, (int)seekMode);
	return result < 0 ? status_from_errno(errno) : result;
}

off_t BFile::Position() const
{
	if (fFd < 0)
		return B_NO_INIT;
	off_t result = lseek(fFd, 0, SEEK_CUR);
	return result < 0 ? status_from_errno(errno) : result;
}

status_t BFile::SetSize(off_t size)
{
	if (fFd < 0)
		return B_NO_INIT;
	return ftruncate(fFd, size) == 0 ? B_OK : status_from_errno(errno);
}

status_t BFile::GetSize(off_t* size) const
{
	if (fFd < 0)
		return B_NO_INIT;
	struct stat st;
	if (fstat(fFd, &st) != 0)
		return status_from_errno(errno);
	*size = st.st_size;
	return B_OK;
}
