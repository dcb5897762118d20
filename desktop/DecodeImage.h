#ifndef DESKTOP_DECODE_IMAGE_H
#define DESKTOP_DECODE_IMAGE_H

#include "BitmapSink.h"

#include <DataIO.h>
#include <Message.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

// Called with the image size before the pixbuf is allocated, as gdk-pixbuf
// loaders call their size function; setting either to 0 declines the image,
// a smaller size has the image read reduced to fit it (gdk-pixbuf scales the
// result to the exact size).
typedef void (*SizeFunc)(int* width, int* height, void* userData);

// Picks an add-on for the file, has it translate it into a Be bitmap and
// returns that as a new RGBA pixbuf; null with *error set otherwise.
GdkPixbuf* decode_image(BPositionIO* source, SizeFunc sizeFunc, void* userData, GError** error);

// The sink's pixbuf once the add-on's Translate into it returned `status`,
// or null with *error set saying why there is none: the sink's refusal, or
// the add-on's reason (in `extension`) or status; `who` names the add-on
// ("The translator NAME").
GdkPixbuf* finished_pixbuf(BitmapSink& sink, status_t status, const BMessage& extension,
                           const std::string& who, GError** error);

// Asks for the colours the module's callers get: sRGB through the image's
// profile, unless TRANSLATORS_COLOR_MANAGEMENT says "keep-profile" or "none".
void ask_for_colour(BMessage* extension);

// Attaches the profile the add-on kept the samples in as the pixbuf's
// "icc-profile" option (base64, as gdk-pixbuf's PNG and JPEG loaders set it).
void attach_profile(GdkPixbuf* pixbuf, const BMessage& extension);

#endif
