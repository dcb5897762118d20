#include "InputSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bounds what an endless stream (a device, a runaway pipe) can make us hold.
const uint64 kMaxStreamedBytes = (uint64)2 << 30;

} // namespace

bool InputSource::Open(const std::string& path, std::string* reason)
{
	if (path == "-")
		return _ReadAll(STDIN_FILENO, reason);

	struct stat st;
	if (stat(path.c_str(), &st) != 0) {
		*reason = strerror(errno);
		return false;
	}
	if (S_ISDIR(st.st_mode)) {
		*reason = strerror(EISDIR);
		return false;
	}
	if (!S_ISREG(st.st_mode)) {
		int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
		if (fd < 0) {
			*reason = strerror(errno);
			return false;
		}
		bool ok = _ReadAll(fd, reason);
		close(fd);
		return ok;
	}
	// SetTo refuses a directory without an errno: one replaced the file.
	errno = 0;
	if (fFile.SetTo(path.c_str(), B_READ_ONLY) != B_OK) {
		*reason = strerror(errno != 0 ? errno : EISDIR);
		return false;
	}
	fStream = &fFile;
	return true;
}

bool InputSource::_ReadAll(int fd, std::string* reason)
{
	char chunk[65536];
	uint64 total = 0;
	for (;;) {
		ssize_t n = read(fd, chunk, sizeof(chunk));
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0) {
			*reason = strerror(errno);
			return false;
		}
		if (n == 0)
			break;
		total += (uint64)n;
		if (total > kMaxStreamedBytes) {
			*reason = "it is longer than 2 GiB, more than translate reads from a stream";
			return false;
		}
		if (fMemory.Write(chunk, (size_t)n) != n) {
			*reason = strerror(ENOMEM);
			return false;
		}
	}
	fMemory.Seek(0, SEEK_SET);
	fStream = &fMemory;
	return true;
}
