#include "PSDWindow.h"

#include "PSDSettings.h"

#include <AppDefs.h>
#include <Application.h>

PSDWindow::PSDWindow(BRect frame, const char* title, window_type type, uint32 flags,
                     uint32 workspace)
    : BWindow(frame, title, type, flags, workspace)
{
}

PSDWindow::~PSDWindow()
{
	set_window_origin(ConvertToScreen(BPoint(0, 0)));
	be_app->PostMessage(B_QUIT_REQUESTED);
}

BPoint settings_window_origin(BPoint saved, BRect screenFrame, BPoint mouse, BRect extent)
{
	BRect frame = screenFrame.InsetByCopy(10, 23);
	if (frame.Contains(saved))
		return saved;
	const float factor = 0.5f;
	BPoint origin(mouse.x - (extent.right - extent.left) * factor,
	              mouse.y - (extent.bottom - extent.top) * factor);
	if (origin.x < frame.left)
		origin.x = frame.left;
	if (origin.y < frame.top)
		origin.y = frame.top;
	if (origin.x > frame.right)
		origin.x = frame.right;
	if (origin.y > frame.bottom)
		origin.y = frame.bottom;
	return origin;
}
