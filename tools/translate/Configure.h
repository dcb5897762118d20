#ifndef TRANSLATE_CONFIGURE_H
#define TRANSLATE_CONFIGURE_H

#include <string>

class BTranslatorRoster;

// Shows the settings view of the add-on called name (its translator name or
// its file name without ".so") in a window until the user closes it; false,
// with a line on standard error, when there is no such add-on or it has no
// settings view.
bool configure_translator(BTranslatorRoster& roster, const std::string& name);

#endif
