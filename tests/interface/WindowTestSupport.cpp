#include "WindowTestSupport.h"

#include <AppDefs.h>
#include <InterfacePrivate.h>
#include <Message.h>
#include <Messenger.h>

#include <cstdlib>

// These suites test the headless path, whatever display the environment has.
static const int kHeadless = setenv("SDL_VIDEODRIVER", "dummy", 1);

// fontconfig 2.14 leaves pieces of its parsed configuration unreachable.
extern "C" const char* __lsan_default_suppressions()
{
	return "leak:libfontconfig.so\n";
}

void sync_window(BWindow* window)
{
	BMessage ping(kSyncCode), reply;
	BMessenger(window).SendMessage(&ping, &reply);
}

void click_view(BView* view, BPoint where)
{
	BWindow* window = view->Window();
	window->Lock();
	BPoint inWindow = window->ConvertFromScreen(view->ConvertToScreen(where));
	window->Unlock();
	for (uint32 what : {(uint32)B_MOUSE_DOWN, (uint32)B_MOUSE_UP}) {
		BMessage message(what);
		message.AddPoint("where", inWindow);
		message.AddInt32("buttons", what == B_MOUSE_DOWN ? B_PRIMARY_MOUSE_BUTTON : 0);
		window->PostMessage(&message);
	}
	// Twice: what the click posted in turn is queued behind the first.
	sync_window(window);
	sync_window(window);
}

void click_view_center(BView* view)
{
	BRect bounds = view->Bounds();
	click_view(view, BPoint(bounds.Width() / 2, bounds.Height() / 2));
}

int count_ink(BWindow* window, BView* view)
{
	sync_window(window);
	std::vector<uint32> pixels;
	int32 width, height;
	BPrivate::get_window_pixels(window, &pixels, &width, &height);
	window->Lock();
	BPoint topLeft = window->ConvertFromScreen(view->ConvertToScreen(B_ORIGIN));
	BRect frame = view->Bounds().OffsetByCopy(topLeft.x, topLeft.y);
	rgb_color background = view->ViewColor();
	window->Unlock();
	int ink = 0;
	for (int32 y = (int32)frame.top; y <= (int32)frame.bottom && y < height; y++) {
		for (int32 x = (int32)frame.left; x <= (int32)frame.right && x < width; x++) {
			uint32 pixel = pixels[(size_t)y * width + x];
			int distance = abs((int)((pixel >> 16) & 0xff) - background.red) +
			               abs((int)((pixel >> 8) & 0xff) - background.green) +
			               abs((int)(pixel & 0xff) - background.blue);
			if (distance > 120)
				ink++;
		}
	}
	return ink;
}
