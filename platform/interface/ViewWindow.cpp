#include <ViewWindow.h>

#include <AppDefs.h>
#include <Application.h>
#include <Screen.h>
#include <View.h>
#include <Window.h>

#include <cmath>

namespace {

// Closing the only window ends the application.
class ViewWindow : public BWindow {
public:
	ViewWindow(BRect frame, const char* title)
	    : BWindow(frame, title, B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE)
	{
	}

	~ViewWindow() override { be_app_messenger.SendMessage(B_QUIT_REQUESTED); }
};

} // namespace

namespace BPrivate {

status_t run_view_window(BView* view, BRect extent, const char* title)
{
	if (be_app == nullptr)
		return B_NO_INIT;
	if (view == nullptr || !extent.IsValid())
		return B_BAD_VALUE;
	BRect screen = BScreen().Frame();
	BRect frame(0, 0, extent.Width(), extent.Height());
	frame.OffsetTo(std::floor(screen.left + (screen.Width() - frame.Width()) / 2),
	               std::floor(screen.top + (screen.Height() - frame.Height()) / 2));
	BWindow* window = new ViewWindow(frame, title);
	view->MoveTo(0, 0);
	view->ResizeTo(extent.Width(), extent.Height());
	window->AddChild(view);
	window->Show();
	be_app->Run();
	return B_OK;
}

} // namespace BPrivate
