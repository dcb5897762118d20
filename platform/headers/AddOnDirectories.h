#ifndef _ADD_ON_DIRECTORIES_H
#define _ADD_ON_DIRECTORIES_H

#include <string>
#include <vector>

namespace BPrivate {

// Where the translator add-ons of an installation lie below its prefix:
// PREFIX/translators (a build tree) and PREFIX/lib/translators (installed).
std::vector<std::string> translator_directories(const std::string& prefix);

// The directory `levels` steps above path; "" stands for the root.
std::string ancestor_directory(const std::string& path, int levels);

bool is_directory(const std::string& path);

} // namespace BPrivate

#endif
