#ifndef _WINDOW_LIST_H
#define _WINDOW_LIST_H

#include <SupportDefs.h>

class BWindow;

namespace BPrivate {

// The application's windows, from construction to the end of destruction.
void add_window(BWindow* window);
void remove_window(BWindow* window);
void set_window_running(BWindow* window);

int32 count_windows();
BWindow* window_at(int32 index);

// Sends B_QUIT_REQUESTED to every running window and waits for the answers;
// false when one of them refuses, else true once all of them are deleted.
bool ask_windows_to_quit();
// Ends every running window without asking and waits until all are gone.
void quit_running_windows();

} // namespace BPrivate

#endif
