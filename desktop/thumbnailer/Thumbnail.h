#ifndef THUMBNAILER_THUMBNAIL_H
#define THUMBNAILER_THUMBNAIL_H

#include <TranslatorRoster.h>

#include <string>

// Writes a PNG thumbnail of the image file `input` that fits a box of size
// x size pixels (aspect kept, never enlarged) to `output`, which appears
// only once complete. The add-on reads the file in place and, where it can,
// reduced to the box at once; what still exceeds the box is scaled down.
// On failure prints one line on standard error and returns false.
bool make_thumbnail(BTranslatorRoster& roster, const std::string& input, const std::string& output,
                    int size);

#endif
