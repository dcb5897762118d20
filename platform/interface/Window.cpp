#include <AppDefs.h>
#include <InterfacePrivate.h>
#include <Message.h>
#include <Messenger.h>
#include <View.h>
#include <Window.h>

#include "Display.h"
#include "Framebuffer.h"
#include "WindowList.h"

#include <cstring>

namespace {

// Asks the window's thread to draw its views.
enum { B_WINDOW_UPDATE = 0x5f555044 }; // '_UPD'

void fill(cairo_surface_t* surface, rgb_color color)
{
	cairo_t* context = cairo_create(surface);
	cairo_set_source_rgb(context, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
	cairo_paint(context);
	cairo_destroy(context);
}

} // namespace

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
    : BLooper(title), fTitle(title != nullptr ? title : ""), fType(type), fFlags(flags),
      fWorkspaces(workspace), fFrame(frame),
      fTopView(new BView(Bounds(), "top view", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)),
      fMouseView(nullptr), fShown(false), fUpdatePending(false),
      fFramebuffer(std::make_shared<BPrivate::Framebuffer>(frame.IntegerWidth() + 1,
                                                           frame.IntegerHeight() + 1))
{
	fill(fFramebuffer->surface, B_PANEL_BACKGROUND);
	fTopView->SetViewColor(B_PANEL_BACKGROUND);
	fTopView->_Attach(this);
	fNativeWindow = BPrivate::display::create_window(
	    fTitle.c_str(), frame, !(flags & B_NOT_RESIZABLE), fFramebuffer, BMessenger(this));
	BPrivate::add_window(this);
}

BWindow::~BWindow()
{
	delete fTopView;
	BPrivate::display::destroy_window(fNativeWindow);
	BPrivate::remove_window(this);
}

void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this) {
		switch (message->what) {
		case B_MOUSE_DOWN:
		case B_MOUSE_UP:
		case B_MOUSE_MOVED:
			_MouseEvent(message);
			return;
		case B_WINDOW_MOVED: {
			BPoint where;
			if (message->FindPoint("where", &where) == B_OK)
				fFrame.OffsetTo(where);
			return;
		}
		case B_WINDOW_UPDATE:
			fUpdatePending = false;
			_DrawAll();
			return;
		}
	}
	BLooper::DispatchMessage(message, handler);
}

void BWindow::Show()
{
	if (fShown)
		return;
	fShown = true;
	_Invalidate();
	BPrivate::display::show_window(fNativeWindow);
	BPrivate::set_window_running(this);
	Run();
}

bool BWindow::IsHidden() const
{
	return !fShown;
}

void BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}

bool BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}

int32 BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}

BView* BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}

BView* BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}

BRect BWindow::Frame() const
{
	return fFrame;
}

BRect BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BWindow::MoveTo(BPoint where)
{
	fFrame.OffsetTo(where);
	BPrivate::display::move_window(fNativeWindow, where);
}

void BWindow::MoveTo(float x, float y)
{
	MoveTo(BPoint(x, y));
}

BPoint BWindow::ConvertToScreen(BPoint point) const
{
	return point + fFrame.LeftTop();
}

BPoint BWindow::ConvertFromScreen(BPoint point) const
{
	return point - fFrame.LeftTop();
}

const char* BWindow::Title() const
{
	return fTitle.c_str();
}

window_type BWindow::Type() const
{
	return fType;
}

uint32 BWindow::Flags() const
{
	return fFlags;
}

uint32 BWindow::Workspaces() const
{
	return fWorkspaces;
}

void BWindow::_Invalidate()
{
	if (!fShown || fUpdatePending)
		return;
	fUpdatePending = true;
	PostMessage(B_WINDOW_UPDATE);
}

void BWindow::_DrawAll()
{
	{
		std::lock_guard<std::mutex> guard(fFramebuffer->lock);
		cairo_t* context = cairo_create(fFramebuffer->surface);
		fTopView->_Draw(context);
		cairo_destroy(context);
		cairo_surface_flush(fFramebuffer->surface);
	}
	BPrivate::display::present_window(fNativeWindow);
}

void BWindow::_ViewRemoved(BView* view)
{
	if (fMouseView == view)
		fMouseView = nullptr;
}

// Mouse messages carry window coordinates; a view gets its own. The view a
// button went down in gets the moves and the release until then.
void BWindow::_MouseEvent(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	BView* target = fMouseView != nullptr ? fMouseView : fTopView->_ViewAt(where);
	BPoint local = target->ConvertFromScreen(ConvertToScreen(where));
	switch (message->what) {
	case B_MOUSE_DOWN:
		fMouseView = target;
		target->MouseDown(local);
		break;
	case B_MOUSE_UP:
		fMouseView = nullptr;
		target->MouseUp(local);
		break;
	case B_MOUSE_MOVED:
		target->MouseMoved(local, target->Bounds().Contains(local) ? B_INSIDE_VIEW : B_OUTSIDE_VIEW,
		                   nullptr);
		break;
	}
}

namespace BPrivate {

status_t get_window_pixels(BWindow* window, std::vector<uint32>* pixels, int32* width,
                           int32* height)
{
	if (window == nullptr || pixels == nullptr)
		return B_BAD_VALUE;
	Framebuffer& framebuffer = *window->fFramebuffer;
	std::lock_guard<std::mutex> guard(framebuffer.lock);
	int32 w = cairo_image_surface_get_width(framebuffer.surface);
	int32 h = cairo_image_surface_get_height(framebuffer.surface);
	int stride = cairo_image_surface_get_stride(framebuffer.surface);
	const uint8* data = cairo_image_surface_get_data(framebuffer.surface);
	pixels->resize((size_t)w * h);
	for (int32 y = 0; y < h; y++)
		memcpy(pixels->data() + (size_t)y * w, data + (size_t)y * stride, (size_t)w * 4);
	if (width != nullptr)
		*width = w;
	if (height != nullptr)
		*height = h;
	return B_OK;
}

} // namespace BPrivate
