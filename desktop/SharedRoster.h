#ifndef DESKTOP_SHARED_ROSTER_H
#define DESKTOP_SHARED_ROSTER_H

#include <TranslatorRoster.h>

#include <mutex>
#include <string>
#include <vector>

// The one roster of the host program, loaded on first use from the add-on
// directories beside this module: <prefix>/translators (a build tree) and
// <prefix>/lib/translators (an installed layout), the prefix being the
// directory that holds the loader module directory. Kept until the process
// ends: the host program may call the module from any thread at any time.
struct SharedRoster {
	BTranslatorRoster roster;
	// The directories that were looked in, for messages.
	std::vector<std::string> directories;
	// Held around every Identify and Translate: an add-on may keep
	// process-wide decoding state (the PSD core's read buffer does).
	std::mutex lock;
};

SharedRoster& shared_roster();

// The add-ons' names, joined for messages: "PSD Images, Wendral".
std::string addon_names(const BTranslatorRoster& roster);

#endif
