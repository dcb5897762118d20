#ifndef DESKTOP_SHARED_ROSTER_H
#define DESKTOP_SHARED_ROSTER_H

#include <TranslatorRoster.h>

#include <string>
#include <vector>

// The one roster of the host program, loaded on first use from the add-on
// directories beside this module: <prefix>/translators (a build tree) and
// <prefix>/lib/translators (an installed layout), the prefix being the
// directory that holds the loader module directory. Kept until the process
// ends: the host program may call the module from any thread at any time.
// Decodes on several threads share it without a lock: once loaded the roster
// only reads its table, and the add-ons keep their decoding state per call or
// per thread (the PSD core's read buffer is thread-local).
struct SharedRoster {
	BTranslatorRoster roster;
	// The directories that were looked in, for messages.
	std::vector<std::string> directories;
};

SharedRoster& shared_roster();

#endif
