#include "BitsWriter.h"

#include <cerrno>
#include <cstring>

bool write_bits(const void* stream, size_t length, FILE* out, std::string* reason)
{
	if (length > 0 && fwrite(stream, 1, length, out) != length) {
		*reason = strerror(errno != 0 ? errno : EIO);
		return false;
	}
	return true;
}
