#ifndef THUMBNAILER_RESOURCE_LIMITS_H
#define THUMBNAILER_RESOURCE_LIMITS_H

#include <string>

// A file manager thumbnails whatever lands in a folder the moment it is
// shown, so every file is a stranger's. These bounds are a backstop behind
// the add-ons' own limits, set generously enough that real files of any
// size get their thumbnails.
const int kCpuSeconds = 30;
const unsigned long long kAddressSpaceBytes = 2ULL << 30;

// Sets the bounds on this process. Past the CPU time, the thumbnailer
// removes its temporary file, prints `message` as one line on standard
// error and exits with status 1; past the address space, allocations fail
// and the add-on reports running out of memory.
void limit_resources(const std::string& message);

#endif
