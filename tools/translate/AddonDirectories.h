#ifndef TRANSLATE_ADDON_DIRECTORIES_H
#define TRANSLATE_ADDON_DIRECTORIES_H

#include <string>
#include <vector>

// The add-on directories beside this program that exist: ../translators
// (the build tree) and ../lib/translators (an installed layout).
std::vector<std::string> default_addon_directories();

#endif
