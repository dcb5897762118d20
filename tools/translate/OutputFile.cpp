#include "OutputFile.h"

#include "InterruptCleanup.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The permissions a newly created file would get: 0666 less the umask.
// Reading the umask means setting it for a moment, so it is read once: files
// are opened on several threads at once.
mode_t new_file_mode()
{
	static const mode_t mode = [] {
		mode_t mask = umask(0);
		umask(mask);
		return 0666 & ~mask;
	}();
	return mode;
}

} // namespace

OutputFile::~OutputFile()
{
	_Discard();
}

bool OutputFile::Open(const std::string& path, std::string* reason)
{
	fPath = path;
	if (path == "-") {
		fFile = stdout;
		return true;
	}

	size_t slash = path.find_last_of('/');
	std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
	std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
	std::string pattern = directory + "." + leaf + ".XXXXXX";
	std::vector<char> name(pattern.begin(), pattern.end());
	name.push_back('\0');

	int fd = mkostemp(name.data(), O_CLOEXEC);
	if (fd < 0) {
		*reason = strerror(errno);
		return false;
	}
	fTempPath = name.data();
	fInterruptSlot = register_temporary_file(name.data());
	fchmod(fd, new_file_mode());
	fFile = fdopen(fd, "wb");
	if (fFile == nullptr) {
		*reason = strerror(errno);
		close(fd);
		_Discard();
		return false;
	}
	return true;
}

bool OutputFile::Commit(std::string* reason)
{
	if (fFile == nullptr) {
		*reason = "it was not opened";
		return false;
	}
	if (fFile == stdout) {
		fFile = nullptr;
		if (fflush(stdout) != 0 || ferror(stdout)) {
			*reason = strerror(errno);
			return false;
		}
		return true;
	}

	bool written = fflush(fFile) == 0 && !ferror(fFile);
	int error = errno;
	if (fclose(fFile) != 0 && written) {
		written = false;
		error = errno;
	}
	fFile = nullptr;
	if (!written || rename(fTempPath.c_str(), fPath.c_str()) != 0) {
		*reason = strerror(written ? errno : error);
		_Discard();
		return false;
	}
	fTempPath.clear();
	unregister_temporary_file(fInterruptSlot);
	fInterruptSlot = -1;
	return true;
}

void OutputFile::_Discard()
{
	if (fFile != nullptr && fFile != stdout)
		fclose(fFile);
	fFile = nullptr;
	if (!fTempPath.empty())
		unlink(fTempPath.c_str());
	fTempPath.clear();
	unregister_temporary_file(fInterruptSlot);
	fInterruptSlot = -1;
}
