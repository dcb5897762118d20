#ifndef _FONT_CACHE_H
#define _FONT_CACHE_H

#include <cairo.h>

class BFont;

namespace BPrivate {

// The scaled font that draws and measures a BFont; kept for the life of the
// process, shared by every thread (cairo locks its fonts itself).
cairo_scaled_font_t* scaled_font_for(const BFont& font);

} // namespace BPrivate

#endif
