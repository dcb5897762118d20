#ifndef PSD_WINDOW_H
#define PSD_WINDOW_H

#include <Window.h>

// The settings program's window: when it goes, it keeps its position in the
// settings and ends the program.
class PSDWindow : public BWindow {
public:
	PSDWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace);
	virtual ~PSDWindow();
};

// Where the window's content goes: the saved origin if the screen frame,
// shrunk by 10 left and right and 23 top and bottom, contains it; else the
// extent centred on the mouse, its top-left corner (only) clamped to the
// shrunk frame.
BPoint settings_window_origin(BPoint saved, BRect screenFrame, BPoint mouse, BRect extent);

#endif
