#include "SpooledInput.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>

namespace {

// An unnamed file in the directory, or -1 with errno set. Where the file
// system cannot make one (O_TMPFILE), a named one is made and unlinked at
// once.
int unlinked_file(const char* directory)
{
	int fd = open(directory, O_TMPFILE | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
	if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR))
		return fd;
	std::string pattern = std::string(directory) + "/pixbuf-translators-XXXXXX";
	fd = mkostemp(&pattern[0], O_CLOEXEC);
	if (fd >= 0)
		unlink(pattern.c_str());
	return fd;
}

} // namespace

SpooledInput::~SpooledInput()
{
	if (fFile >= 0)
		close(fFile);
}

bool SpooledInput::Append(const uint8* bytes, size_t size, GError** error)
{
	fStream.reset();
	if (fFile < 0 && size > kInMemoryInputBytes - fBytes.size() && !_Spill(error))
		return false;
	if (fFile >= 0)
		return _Write(bytes, size, error);
	try {
		// Grow by doubling, but never past what stays in memory.
		size_t needed = fBytes.size() + size;
		if (needed > fBytes.capacity())
			fBytes.reserve(std::min(std::max(needed, 2 * fBytes.capacity()), kInMemoryInputBytes));
		fBytes.insert(fBytes.end(), bytes, bytes + size);
	} catch (const std::bad_alloc&) {
		g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
		                    "Not enough memory to hold the image file");
		return false;
	}
	return true;
}

BPositionIO* SpooledInput::Stream()
{
	if (fStream == nullptr) {
		if (fFile >= 0)
			fStream.reset(new (std::nothrow) DescriptorIO(fFile));
		else
			fStream.reset(new (std::nothrow) BMemoryIO(fBytes.data(), fBytes.size()));
	}
	return fStream.get();
}

bool SpooledInput::_Spill(GError** error)
{
	const char* directory = g_get_tmp_dir();
	fFile = unlinked_file(directory);
	if (fFile < 0) {
		int code = errno;
		g_set_error(error, G_FILE_ERROR, g_file_error_from_errno(code),
		            "Could not make a temporary file in %s for the image file: %s", directory,
		            g_strerror(code));
		return false;
	}
	std::vector<uint8> held;
	held.swap(fBytes);
	return _Write(held.data(), held.size(), error);
}

bool SpooledInput::_Write(const uint8* bytes, size_t size, GError** error)
{
	DescriptorIO file(fFile);
	ssize_t written = file.WriteAt(fFileSize, bytes, size);
	if (written != (ssize_t)size) {
		int code = written >= 0 ? ENOSPC : errno;
		g_set_error(error, G_FILE_ERROR, g_file_error_from_errno(code),
		            "Could not write the image file to a temporary file in %s: %s", g_get_tmp_dir(),
		            g_strerror(code));
		return false;
	}
	fFileSize += (off_t)size;
	return true;
}
