#include "ResourceLimits.h"

#include <InterruptCleanup.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Ready before the limit is reached: the handler may only write it.
char gMessage[1024];
size_t gMessageLength;

void out_of_time(int)
{
	remove_temporary_files();
	ssize_t written = write(STDERR_FILENO, gMessage, gMessageLength);
	(void)written;
	_exit(1);
}

// Lowers a limit, never raises it: a file manager's own may be tighter.
void lower_limit(int resource, rlim_t soft, rlim_t hard)
{
	struct rlimit limit;
	if (getrlimit(resource, &limit) != 0)
		return;
	if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > hard)
		limit.rlim_max = hard;
	if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > soft)
		limit.rlim_cur = soft < limit.rlim_max ? soft : limit.rlim_max;
	setrlimit(resource, &limit);
}

} // namespace

void limit_resources(const std::string& message)
{
	std::string line = message.substr(0, sizeof(gMessage) - 2) + "\n";
	memcpy(gMessage, line.data(), line.size());
	gMessageLength = line.size();

	struct sigaction action = {};
	action.sa_handler = out_of_time;
	sigemptyset(&action.sa_mask);
	sigaction(SIGXCPU, &action, nullptr);
	// SIGXCPU at the soft limit; the hard one, a little later, kills.
	lower_limit(RLIMIT_CPU, kCpuSeconds, kCpuSeconds + 5);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
	// The sanitizers' shadow memory alone takes terabytes of address space.
	lower_limit(RLIMIT_AS, kAddressSpaceBytes, kAddressSpaceBytes);
#endif
}
