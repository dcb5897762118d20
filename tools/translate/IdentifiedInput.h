#ifndef TRANSLATE_IDENTIFIED_INPUT_H
#define TRANSLATE_IDENTIFIED_INPUT_H

#include "InputSource.h"

#include <TranslatorRoster.h>

#include <string>

// How a path appears in messages: "-" is "standard input".
std::string input_display_name(const std::string& path);

// Opens the input and finds the add-on that reads it into a Be bitmap; on
// failure prints one line on stderr saying which file and why.
bool open_identified(BTranslatorRoster& roster, const std::string& path, InputSource* source,
                     translator_info* info);

#endif
