#ifndef TRANSLATE_BATCH_H
#define TRANSLATE_BATCH_H

#include "Options.h"

#include <TranslatorRoster.h>

// Converts every job of the options, up to options.threads files at once
// (one per core when 0), each through its own translation; the results are
// those of converting the files one by one. True when every file succeeded.
bool convert_files(BTranslatorRoster& roster, const Options& options);

#endif
