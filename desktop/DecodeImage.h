#ifndef DESKTOP_DECODE_IMAGE_H
#define DESKTOP_DECODE_IMAGE_H

#include <SupportDefs.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstddef>

// The most input this loader holds in memory: 2 GiB. Incremental loading
// gets the file piece by piece and the add-ons want a positionable stream,
// so the whole file is kept until it is translated.
const size_t kMaxInputBytes = (size_t)1 << 31;

// Called with the image size before the pixbuf is allocated, as gdk-pixbuf
// loaders call their size function; setting either to 0 declines the image,
// a smaller size has the image read reduced to fit it (gdk-pixbuf scales the
// result to the exact size).
typedef void (*SizeFunc)(int* width, int* height, void* userData);

// Picks an add-on for the bytes, has it translate them into a Be bitmap
// and returns that as a new RGBA pixbuf; null with *error set otherwise.
GdkPixbuf* decode_image(const uint8* data, size_t length, SizeFunc sizeFunc, void* userData,
                        GError** error);

#endif
