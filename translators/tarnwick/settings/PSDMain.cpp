// The settings program: Tarnwick's configuration view in a window of its own.

#include "PSDSettings.h"
#include "PSDWindow.h"

#include <Alert.h>
#include <Application.h>
#include <Screen.h>
#include <TranslatorAddOn.h>
#include <View.h>

int main()
{
	BApplication* app = new BApplication("application/x-vnd.ostrel-tarnwick");

	BView* view = nullptr;
	BRect extent(0, 0, 240, 220);
	if (MakeConfig(nullptr, &view, &extent) != B_OK) {
		BAlert* alert = new BAlert("Error", "Something is wrong with the Tarnwick!", "OK", nullptr,
		                           nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
		alert->Go();
		delete app;
		return 1;
	}

	PSDWindow* window = new PSDWindow(extent, "Tarnwick", B_TITLED_WINDOW,
	                                  B_NOT_RESIZABLE | B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE);
	view->ResizeTo(extent.right - extent.left, extent.bottom - extent.top);
	window->AddChild(view);

	BPoint saved = get_window_origin();
	BScreen* screen = new BScreen(B_MAIN_SCREEN_ID);
	// The window still stands at the screen origin: view and screen
	// coordinates agree.
	BPoint mouse;
	uint32 buttons;
	view->GetMouse(&mouse, &buttons, false);
	BPoint origin = settings_window_origin(saved, screen->Frame(), mouse, extent);
	delete screen;

	window->MoveTo(origin);
	window->Show();

	app->Run();
	delete app;
	return 0;
}
