#ifndef TESTS_ADDRESS_SPACE_LIMIT_H
#define TESTS_ADDRESS_SPACE_LIMIT_H

// Runs a piece of a test in a child process whose address space may grow by
// only so much, so that an allocation a header merely claims fails there
// rather than succeeding lazily. The sanitizers reserve terabytes of address
// space for themselves: under them no limit can be set.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>
#include <functional>

namespace psdtest {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const bool kAddressSpaceLimitWorks = false;
#elif defined(__has_feature)
const bool kAddressSpaceLimitWorks =
    !__has_feature(address_sanitizer) && !__has_feature(thread_sanitizer);
#else
const bool kAddressSpaceLimitWorks = true;
#endif

// True when `run` returned true in a child allowed `mebibytes` more address
// space than it had when it started, and (when not 0) `seconds` of CPU time.
inline bool runsWithin(size_t mebibytes, const std::function<bool()>& run, rlim_t seconds = 0)
{
	const pid_t pid = fork();
	if (pid == 0) {
		long pages = 0;
		std::ifstream("/proc/self/statm") >> pages;
		const rlim_t limit = (rlim_t)pages * sysconf(_SC_PAGESIZE) + ((rlim_t)mebibytes << 20);
		const struct rlimit rlimit = {limit, limit};
		const struct rlimit cpu = {seconds, seconds};
		const bool limited = setrlimit(RLIMIT_AS, &rlimit) == 0 &&
		                     (seconds == 0 || setrlimit(RLIMIT_CPU, &cpu) == 0);
		_exit(limited && run() ? 0 : 1);
	}
	int status = 0;
	return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
	       WEXITSTATUS(status) == 0;
}

} // namespace psdtest

#endif
