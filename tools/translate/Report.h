#ifndef TRANSLATE_REPORT_H
#define TRANSLATE_REPORT_H

#include <TranslatorRoster.h>

#include <string>

// --identify: one line on stdout naming the add-on and format for the file,
// or one line on stderr saying why there is none.
bool identify_file(BTranslatorRoster& roster, const std::string& path);

// --list: every add-on with its version, credit, and format rows.
void list_translators(BTranslatorRoster& roster);

#endif
