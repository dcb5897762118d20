#ifndef _DISPLAY_H
#define _DISPLAY_H

#include <Messenger.h>
#include <Point.h>
#include <Rect.h>

#include <functional>
#include <memory>

namespace BPrivate {

struct Framebuffer;

// The real display through SDL. SDL wants one thread for video and events:
// the thread that opens the display (the application's), which serves them
// in WaitEvents. Other threads hand it requests. Without a display (no X
// server, SDL_VIDEODRIVER offscreen or dummy) every request is a no-op and
// the screen is the virtual one.
namespace display {

void open();
void close();
bool is_open();
bool on_display_thread();

// Blocks until an event or a request arrives, then serves all that are
// queued. Display thread only.
void wait_events();
// Makes wait_events return; any thread.
void wake();

// Native windows, addressed by a number that stays safe after the window is
// gone. Window events go to target as messages.
int32 create_window(const char* title, BRect frame, bool resizable,
                    std::shared_ptr<Framebuffer> framebuffer, const BMessenger& target);
void destroy_window(int32 id);
void move_window(int32 id, BPoint contentOrigin);
void show_window(int32 id);
void present_window(int32 id);

// The pointer on screen; from other threads than the display's it is the
// position seen at the last event.
BPoint mouse_position(uint32* buttons);

} // namespace display

} // namespace BPrivate

#endif
