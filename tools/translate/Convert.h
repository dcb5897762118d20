#ifndef TRANSLATE_CONVERT_H
#define TRANSLATE_CONVERT_H

#include "OutputFormat.h"
#include "PngDeflate.h"
#include "ProgressLine.h"

#include <Message.h>
#include <TranslatorRoster.h>

#include <string>

// Converts one file; the output appears only once the conversion succeeded
// (a file is renamed into place, standard output is written at the end). On
// failure prints one line on stderr saying which file and why. Safe to call
// on several threads at once with one roster.
// `extension` is the add-on's extension message, as the options make it;
// `progress`, when not null, is told how far the conversion has come.
bool convert_file(BTranslatorRoster& roster, const std::string& input, const std::string& output,
                  OutputFormat format, const PngCompression& compression, const BMessage& extension,
                  FileProgress* progress = nullptr);

#endif
