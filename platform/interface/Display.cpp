#include "Display.h"

#include "Framebuffer.h"
#include "SdlLibrary.h"

#include <AppDefs.h>
#include <Application.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Screen.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace BPrivate {
namespace display {

namespace {

// Set while the display is open.
const SdlLibrary* gSdl = nullptr;

struct NativeWindow {
	SDL_Window* window = nullptr;
	std::shared_ptr<Framebuffer> framebuffer;
	BMessenger target;
};

class SDLScreen : public ScreenDisplay {
public:
	BRect MainScreenFrame() override
	{
		SDL_Rect bounds;
		if (gSdl->SDL_GetDisplayBounds(0, &bounds) != 0)
			return BRect(0, 0, B_VIRTUAL_SCREEN_WIDTH - 1, B_VIRTUAL_SCREEN_HEIGHT - 1);
		return BRect(bounds.x, bounds.y, bounds.x + bounds.w - 1, bounds.y + bounds.h - 1);
	}
};

std::atomic<bool> gOpen(false);
std::thread::id gDisplayThread;
Uint32 gWakeEvent = 0;
SDLScreen gScreen;

std::mutex gRequestLock;
std::deque<std::function<void()>> gRequests;

// Display thread only.
std::map<int32, NativeWindow> gWindows;
std::atomic<int32> gNextWindowId(1);

std::atomic<int32> gMouseX(B_VIRTUAL_SCREEN_WIDTH / 2);
std::atomic<int32> gMouseY(B_VIRTUAL_SCREEN_HEIGHT / 2);
std::atomic<uint32> gMouseButtons(0);

bool headless_requested()
{
	const char* driver = getenv("SDL_VIDEODRIVER");
	return driver != nullptr && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
}

void post(std::function<void()> request)
{
	if (!gOpen.load())
		return;
	if (on_display_thread()) {
		request();
		return;
	}
	{
		std::lock_guard<std::mutex> guard(gRequestLock);
		gRequests.push_back(std::move(request));
	}
	wake();
}

void run_requests()
{
	std::deque<std::function<void()>> requests;
	{
		std::lock_guard<std::mutex> guard(gRequestLock);
		requests.swap(gRequests);
	}
	for (auto& request : requests)
		request();
}

uint32 buttons_from_sdl(Uint32 state)
{
	uint32 buttons = 0;
	if (state & SDL_BUTTON_LMASK)
		buttons |= B_PRIMARY_MOUSE_BUTTON;
	if (state & SDL_BUTTON_RMASK)
		buttons |= B_SECONDARY_MOUSE_BUTTON;
	if (state & SDL_BUTTON_MMASK)
		buttons |= B_TERTIARY_MOUSE_BUTTON;
	return buttons;
}

void update_mouse()
{
	int x, y;
	Uint32 state = gSdl->SDL_GetGlobalMouseState(&x, &y);
	gMouseX = x;
	gMouseY = y;
	gMouseButtons = buttons_from_sdl(state);
}

void present(NativeWindow& native)
{
	SDL_Surface* target = gSdl->SDL_GetWindowSurface(native.window);
	if (target == nullptr)
		return;
	Framebuffer& framebuffer = *native.framebuffer;
	std::lock_guard<std::mutex> guard(framebuffer.lock);
	cairo_surface_flush(framebuffer.surface);
	SDL_Surface* source = gSdl->SDL_CreateRGBSurfaceWithFormatFrom(
	    cairo_image_surface_get_data(framebuffer.surface),
	    cairo_image_surface_get_width(framebuffer.surface),
	    cairo_image_surface_get_height(framebuffer.surface), 32,
	    cairo_image_surface_get_stride(framebuffer.surface), SDL_PIXELFORMAT_ARGB8888);
	if (source == nullptr)
		return;
	gSdl->SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
	gSdl->SDL_UpperBlit(source, nullptr, target, nullptr);
	gSdl->SDL_FreeSurface(source);
	gSdl->SDL_UpdateWindowSurface(native.window);
}

NativeWindow* find_sdl_window(Uint32 sdlId)
{
	SDL_Window* window = gSdl->SDL_GetWindowFromID(sdlId);
	for (auto& entry : gWindows) {
		if (entry.second.window == window)
			return &entry.second;
	}
	return nullptr;
}

void send_mouse(const NativeWindow& native, uint32 what, int x, int y, uint32 buttons, int clicks)
{
	BMessage message(what);
	message.AddPoint("where", BPoint(x, y));
	message.AddInt32("buttons", (int32)buttons);
	if (what == B_MOUSE_DOWN)
		message.AddInt32("clicks", clicks);
	native.target.SendMessage(&message);
}

void handle_window_event(NativeWindow& native, const SDL_WindowEvent& event)
{
	switch (event.event) {
	case SDL_WINDOWEVENT_CLOSE:
		native.target.SendMessage(B_QUIT_REQUESTED);
		break;
	case SDL_WINDOWEVENT_MOVED: {
		BMessage moved(B_WINDOW_MOVED);
		moved.AddPoint("where", BPoint(event.data1, event.data2));
		native.target.SendMessage(&moved);
		break;
	}
	case SDL_WINDOWEVENT_EXPOSED:
		present(native);
		break;
	}
}

void handle_event(const SDL_Event& event)
{
	NativeWindow* native = nullptr;
	switch (event.type) {
	case SDL_QUIT:
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		break;
	case SDL_WINDOWEVENT:
		if ((native = find_sdl_window(event.window.windowID)) != nullptr)
			handle_window_event(*native, event.window);
		break;
	case SDL_MOUSEBUTTONDOWN:
	case SDL_MOUSEBUTTONUP:
		if ((native = find_sdl_window(event.button.windowID)) != nullptr) {
			update_mouse();
			send_mouse(*native, event.type == SDL_MOUSEBUTTONDOWN ? B_MOUSE_DOWN : B_MOUSE_UP,
			           event.button.x, event.button.y, gMouseButtons, event.button.clicks);
		}
		break;
	case SDL_MOUSEMOTION:
		if ((native = find_sdl_window(event.motion.windowID)) != nullptr) {
			send_mouse(*native, B_MOUSE_MOVED, event.motion.x, event.motion.y,
			           buttons_from_sdl(event.motion.state), 0);
		}
		break;
	}
}

} // namespace

void open()
{
	if (gOpen.load() || headless_requested() || (gSdl = sdl_library()) == nullptr)
		return;
	gSdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	gSdl->SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
	gSdl->SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
	if (gSdl->SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
		return;
	gWakeEvent = gSdl->SDL_RegisterEvents(1);
	gDisplayThread = std::this_thread::get_id();
	update_mouse();
	set_screen_display(&gScreen);
	gOpen = true;
}

void close()
{
	if (!gOpen.load())
		return;
	run_requests();
	for (auto& entry : gWindows)
		gSdl->SDL_DestroyWindow(entry.second.window);
	gWindows.clear();
	gOpen = false;
	set_screen_display(nullptr);
	gSdl->SDL_QuitSubSystem(SDL_INIT_VIDEO);
	gSdl->SDL_Quit();
}

bool is_open()
{
	return gOpen.load();
}

bool on_display_thread()
{
	return gOpen.load() && std::this_thread::get_id() == gDisplayThread;
}

void wait_events()
{
	run_requests();
	SDL_Event event;
	if (gSdl->SDL_WaitEvent(&event) == 0)
		return;
	do {
		if (event.type != gWakeEvent)
			handle_event(event);
	} while (gSdl->SDL_PollEvent(&event));
	update_mouse();
	run_requests();
}

void wake()
{
	if (!gOpen.load())
		return;
	SDL_Event event = {};
	event.type = gWakeEvent;
	gSdl->SDL_PushEvent(&event);
}

int32 create_window(const char* title, BRect frame, bool resizable,
                    std::shared_ptr<Framebuffer> framebuffer, const BMessenger& target)
{
	if (!gOpen.load())
		return 0;
	int32 id = gNextWindowId++;
	std::string name = title != nullptr ? title : "";
	post([=]() {
		Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
		SDL_Window* window =
		    gSdl->SDL_CreateWindow(name.c_str(), (int)frame.left, (int)frame.top,
		                           frame.IntegerWidth() + 1, frame.IntegerHeight() + 1, flags);
		if (window == nullptr)
			return;
		// Made while hidden: made after showing, the surface puts an X11
		// window back at its creation position.
		gSdl->SDL_GetWindowSurface(window);
		gWindows[id] = NativeWindow{window, framebuffer, target};
	});
	return id;
}

void destroy_window(int32 id)
{
	post([id]() {
		auto it = gWindows.find(id);
		if (it == gWindows.end())
			return;
		gSdl->SDL_DestroyWindow(it->second.window);
		gWindows.erase(it);
	});
}

void move_window(int32 id, BPoint contentOrigin)
{
	post([id, contentOrigin]() {
		auto it = gWindows.find(id);
		if (it != gWindows.end())
			gSdl->SDL_SetWindowPosition(it->second.window, (int)contentOrigin.x,
			                            (int)contentOrigin.y);
	});
}

void show_window(int32 id)
{
	post([id]() {
		auto it = gWindows.find(id);
		if (it == gWindows.end())
			return;
		gSdl->SDL_ShowWindow(it->second.window);
		gSdl->SDL_RaiseWindow(it->second.window);
		present(it->second);
	});
}

void present_window(int32 id)
{
	post([id]() {
		auto it = gWindows.find(id);
		if (it != gWindows.end() &&
		    (gSdl->SDL_GetWindowFlags(it->second.window) & SDL_WINDOW_SHOWN) != 0)
			present(it->second);
	});
}

BPoint mouse_position(uint32* buttons)
{
	if (on_display_thread())
		update_mouse();
	if (buttons != nullptr)
		*buttons = gMouseButtons;
	return BPoint(gMouseX, gMouseY);
}

} // namespace display
} // namespace BPrivate
