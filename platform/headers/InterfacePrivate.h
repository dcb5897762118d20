#ifndef _INTERFACE_PRIVATE_H
#define _INTERFACE_PRIVATE_H

#include <Font.h>
#include <Point.h>
#include <Window.h>

#include <vector>

class BView;
class BWindow;

namespace BPrivate {

// Called for every string drawn, before it is drawn; null to stop.
typedef void (*draw_string_hook)(const BView* view, const char* string, BPoint baseline,
                                 const BFont& font);
void set_draw_string_hook(draw_string_hook hook);

// get_window_pixels (declared with BWindow): a copy of what the window
// shows, rows top to bottom, one 0xAARRGGBB word per pixel.

} // namespace BPrivate

#endif
