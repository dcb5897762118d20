#ifndef TRANSLATE_CONVERT_H
#define TRANSLATE_CONVERT_H

#include "OutputFormat.h"

#include <TranslatorRoster.h>

#include <string>

// Converts one file, writing to output only once the conversion succeeded;
// on failure prints one line on stderr saying which file and why.
bool convert_file(BTranslatorRoster& roster, const std::string& input, const std::string& output,
	OutputFormat format);

#endif
