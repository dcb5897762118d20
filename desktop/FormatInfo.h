#ifndef DESKTOP_FORMAT_INFO_H
#define DESKTOP_FORMAT_INFO_H

#include <gdk-pixbuf/gdk-pixbuf-io.h>

class BTranslatorRoster;

// Fills the format that this module declares to gdk-pixbuf: the MIME types
// named by the add-ons' input rows, plus for the rows whose MIME type the
// desktop knows by another name, that name, the file extension and the
// signature. gdk-pixbuf-query-loaders asks once and keeps the answer in its
// cache, so the strings are made once and live as long as the process.
void fill_format_info(const BTranslatorRoster& roster, GdkPixbufFormat* info);

#endif
