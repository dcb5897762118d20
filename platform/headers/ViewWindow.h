#ifndef _VIEW_WINDOW_H
#define _VIEW_WINDOW_H

#include <Rect.h>

class BView;

namespace BPrivate {

// For a host that shows a view it was given (a translator's configuration
// view): puts the view into a titled, non-resizable window of the extent's
// size, centred on the main screen, shows it and runs be_app until the
// window is closed or the application is asked to quit. The window takes the
// view and deletes it with itself. Needs be_app, made on the calling thread
// and not yet run. B_OK after the run; B_NO_INIT without be_app; B_BAD_VALUE
// without a view or with an empty extent.
status_t run_view_window(BView* view, BRect extent, const char* title);

} // namespace BPrivate

#endif
