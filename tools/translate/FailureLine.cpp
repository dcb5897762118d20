#include "FailureLine.h"

#include <cerrno>
#include <cstdio>

namespace {

StatusLine* gStatusLine = nullptr;

} // namespace

std::mutex& standard_error_lock()
{
	static std::mutex lock;
	return lock;
}

void set_status_line(StatusLine* line)
{
	gStatusLine = line;
}

void print_failure(const std::string& message)
{
	std::lock_guard<std::mutex> lock(standard_error_lock());
	if (gStatusLine != nullptr)
		gStatusLine->Clear();
	// The name the program was started by: translate, or the thumbnailer.
	fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
	if (gStatusLine != nullptr)
		gStatusLine->Redraw();
}
