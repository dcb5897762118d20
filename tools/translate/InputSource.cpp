#include "InputSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bounds what an endless stream (a device, a runaway pipe) can make us hold.
const uint64 kMaxStreamedBytes = (uint64)2 << 30;

}  // namespace

bool InputSource::Open(const std::string& path, std::string* reason)
{
	if (path == "-")
		return _ReadAll(STDIN_FILENO, reason);

	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0) {
		*reason = strerror(errno);
		return false;
	}
	struct stat st;
	if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
		*reason = strerror(S_ISDIR(st.st_mode) ? EISDIR : errno);
		close(fd);
		return false;
	}
	if (!S_ISREG(st.st_mode)) {
		bool ok = _ReadAll(fd, reason);
		close(fd);
		return ok;
	}
	close(fd);
	if (fFile.SetTo(path.c_str(), B_READ_ONLY) != B_OK) {
		*reason = "it could not be opened";
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
