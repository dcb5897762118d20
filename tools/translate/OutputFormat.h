#ifndef TRANSLATE_OUTPUT_FORMAT_H
#define TRANSLATE_OUTPUT_FORMAT_H

#include <string>

enum class OutputFormat { kPng, kBits };

// From a name given with --format ("png", "bits"); false when unknown.
bool format_from_name(const std::string& name, OutputFormat* format);
// From a file name's extension, in any letter case; false when it has none we write.
bool format_from_path(const std::string& path, OutputFormat* format);
// ".png" or ".bits".
const char* format_extension(OutputFormat format);

#endif
