#ifndef DESKTOP_DESKTOP_FORMATS_H
#define DESKTOP_DESKTOP_FORMATS_H

#include <cstddef>

// How desktops know the formats of this project's add-ons, one row per
// add-on, made by the build from each add-on folder's DesktopFormat.cmake.
struct DesktopFormat {
	const char* addOnMIME;  // the MIME type of the add-on's input row
	const char* systemMIME; // what shared-mime-info calls it
	const char* extension;
	const char* signature;     // null when the format has none
	const char* signatureMask; // ' ' must match, 'z' must be zero
};

extern const DesktopFormat kDesktopFormats[];
extern const size_t kDesktopFormatCount;

#endif
