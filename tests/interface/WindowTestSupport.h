#ifndef WINDOW_TEST_SUPPORT_H
#define WINDOW_TEST_SUPPORT_H

#include <View.h>
#include <Window.h>

#include <vector>

// Nobody handles it: answered with B_NO_REPLY once its turn has come.
const uint32 kSyncCode = 0x73796e63; // 'sync'

// Waits until the window has handled everything posted to it before.
void sync_window(BWindow* window);

// Posts what the display sends for a click: a press and a release at the
// view's point, in window coordinates.
void click_view(BView* view, BPoint where);
void click_view_center(BView* view);

// How many pixels of the window inside the view's frame differ clearly from
// the view's colour.
int count_ink(BWindow* window, BView* view);

#endif
