#include <View.h>
#include <Window.h>

#include <InterfacePrivate.h>

#include "Display.h"
#include "FontCache.h"

#include <algorithm>
#include <atomic>
#include <cairo.h>
#include <cmath>
#include <cstring>

namespace {

std::atomic<BPrivate::draw_string_hook> gDrawStringHook(nullptr);

void set_source(cairo_t* context, rgb_color color)
{
	cairo_set_source_rgb(context, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
}

// How far an edge moves when its parent grows by delta, by resizing rule.
float edge_shift(uint32 rule, float delta)
{
	switch (rule) {
	case _VIEW_RIGHT_:
	case _VIEW_BOTTOM_:
		return delta;
	case _VIEW_CENTER_:
		return delta / 2;
	default:
		return 0;
	}
}

} // namespace

namespace BPrivate {

void set_draw_string_hook(draw_string_hook hook)
{
	gDrawStringHook.store(hook);
}

} // namespace BPrivate

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BHandler(name), fFrame(frame), fResizingMode(resizingMode), fFlags(flags), fParent(nullptr),
      fWindow(nullptr), fViewColor(make_color(255, 255, 255)), fHighColor(make_color(0, 0, 0)),
      fFont(be_plain_font), fPenSize(1.0f), fContext(nullptr)
{
}

BView::~BView()
{
	if (fParent != nullptr)
		fParent->RemoveChild(this);
	while (!fChildren.empty()) {
		BView* child = fChildren.back();
		RemoveChild(child);
		delete child;
	}
}

void BView::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

void BView::AttachedToWindow() {}
void BView::AllAttached() {}
void BView::DetachedFromWindow() {}
void BView::AllDetached() {}
void BView::Draw(BRect) {}
void BView::MouseDown(BPoint) {}
void BView::MouseUp(BPoint) {}
void BView::MouseMoved(BPoint, uint32, const BMessage*) {}

void BView::AddChild(BView* child, BView* before)
{
	if (child == nullptr || child->fParent != nullptr || child == this)
		return;
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fWindow != nullptr) {
		child->_Attach(fWindow);
		child->_CallAllAttached();
		Invalidate();
	}
}

bool BView::RemoveChild(BView* child)
{
	if (child == nullptr || child->fParent != this)
		return false;
	if (fWindow != nullptr) {
		child->_Detach();
		Invalidate();
	}
	fChildren.erase(std::find(fChildren.begin(), fChildren.end(), child));
	child->fParent = nullptr;
	return true;
}

int32 BView::CountChildren() const
{
	return (int32)fChildren.size();
}

BView* BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= (int32)fChildren.size())
		return nullptr;
	return fChildren[index];
}

BView* BView::FindView(const char* name) const
{
	if (name == nullptr)
		return nullptr;
	for (BView* child : fChildren) {
		if (strcmp(child->Name(), name) == 0)
			return child;
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

BView* BView::Parent() const
{
	return fParent;
}

BWindow* BView::Window() const
{
	return fWindow;
}

void BView::_Attach(BWindow* window)
{
	fWindow = window;
	window->AddHandler(this);
	SetNextHandler(fParent != nullptr ? (BHandler*)fParent : (BHandler*)window);
	AttachedToWindow();
	for (BView* child : fChildren)
		child->_Attach(window);
}

void BView::_CallAllAttached()
{
	for (BView* child : fChildren)
		child->_CallAllAttached();
	AllAttached();
}

void BView::_Detach()
{
	DetachedFromWindow();
	for (BView* child : fChildren)
		child->_Detach();
	AllDetached();
	fWindow->_ViewRemoved(this);
	fWindow->RemoveHandler(this);
	SetNextHandler(nullptr);
	fWindow = nullptr;
}

BRect BView::Frame() const
{
	return fFrame;
}

BRect BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BView::MoveTo(BPoint where)
{
	fFrame.OffsetTo(where);
	if (fParent != nullptr)
		fParent->Invalidate();
}

void BView::MoveTo(float x, float y)
{
	MoveTo(BPoint(x, y));
}

void BView::ResizeTo(float width, float height)
{
	float dx = width - fFrame.Width();
	float dy = height - fFrame.Height();
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	if (dx != 0 || dy != 0) {
		for (BView* child : fChildren) {
			uint32 mode = child->fResizingMode;
			BRect frame = child->fFrame;
			float left = frame.left + edge_shift((mode >> 8) & 0xf, dx);
			float top = frame.top + edge_shift((mode >> 12) & 0xf, dy);
			float right = frame.right + edge_shift(mode & 0xf, dx);
			float bottom = frame.bottom + edge_shift((mode >> 4) & 0xf, dy);
			child->fFrame.OffsetTo(left, top);
			child->ResizeTo(std::max(0.0f, right - left), std::max(0.0f, bottom - top));
		}
	}
	Invalidate();
}

uint32 BView::ResizingMode() const
{
	return fResizingMode;
}

uint32 BView::Flags() const
{
	return fFlags;
}

BPoint BView::ConvertToParent(BPoint point) const
{
	return point + fFrame.LeftTop();
}

BPoint BView::ConvertFromParent(BPoint point) const
{
	return point - fFrame.LeftTop();
}

BPoint BView::ConvertToScreen(BPoint point) const
{
	for (const BView* view = this; view != nullptr; view = view->fParent)
		point = view->ConvertToParent(point);
	return fWindow != nullptr ? fWindow->ConvertToScreen(point) : point;
}

BPoint BView::ConvertFromScreen(BPoint point) const
{
	return point - ConvertToScreen(B_ORIGIN);
}

void BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
	BPoint screen = BPrivate::display::mouse_position(buttons);
	if (location != nullptr)
		*location = ConvertFromScreen(screen);
}

void BView::Invalidate()
{
	if (fWindow != nullptr)
		fWindow->_Invalidate();
}

void BView::SetViewColor(rgb_color color)
{
	fViewColor = color;
	Invalidate();
}

void BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(make_color(red, green, blue, alpha));
}

rgb_color BView::ViewColor() const
{
	return fViewColor;
}

void BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	fHighColor = make_color(red, green, blue, alpha);
}

rgb_color BView::HighColor() const
{
	return fHighColor;
}

void BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == nullptr)
		return;
	if (mask & B_FONT_FAMILY_AND_STYLE)
		fFont.SetFamilyAndStyle(font->Family(), font->Style());
	if (mask & B_FONT_SIZE)
		fFont.SetSize(font->Size());
}

void BView::GetFont(BFont* font) const
{
	if (font != nullptr)
		*font = fFont;
}

void BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}

float BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}

void BView::SetPenSize(float size)
{
	fPenSize = size;
}

void BView::DrawString(const char* string, BPoint baseline)
{
	if (string == nullptr)
		return;
	if (BPrivate::draw_string_hook hook = gDrawStringHook.load())
		hook(this, string, baseline, fFont);
	if (fContext == nullptr)
		return;
	cairo_set_scaled_font(fContext, BPrivate::scaled_font_for(fFont));
	set_source(fContext, fHighColor);
	// Baselines on pixel rows keep the text sharp.
	cairo_move_to(fContext, baseline.x, std::round(baseline.y));
	cairo_show_text(fContext, string);
}

// Integer coordinates name pixels; cairo's fall between them. Strokes run
// through pixel centres, fills cover whole pixels.
bool BView::_BeginPath()
{
	if (fContext == nullptr)
		return false;
	cairo_new_path(fContext);
	set_source(fContext, fHighColor);
	cairo_set_line_width(fContext, fPenSize);
	cairo_set_line_cap(fContext, CAIRO_LINE_CAP_SQUARE);
	return true;
}

void BView::_Stroke()
{
	cairo_stroke(fContext);
}

void BView::_Fill()
{
	cairo_fill(fContext);
}

void BView::StrokeLine(BPoint start, BPoint end)
{
	if (!_BeginPath())
		return;
	cairo_move_to(fContext, start.x + 0.5, start.y + 0.5);
	cairo_line_to(fContext, end.x + 0.5, end.y + 0.5);
	_Stroke();
}

void BView::StrokeRect(BRect rect)
{
	if (!_BeginPath())
		return;
	cairo_rectangle(fContext, rect.left + 0.5, rect.top + 0.5, rect.Width(), rect.Height());
	_Stroke();
}

void BView::FillRect(BRect rect)
{
	if (!_BeginPath())
		return;
	cairo_rectangle(fContext, rect.left, rect.top, rect.Width() + 1, rect.Height() + 1);
	_Fill();
}

static void rounded_rect(cairo_t* context, double x, double y, double width, double height,
                         double radius)
{
	radius = std::min(radius, std::min(width, height) / 2);
	cairo_new_sub_path(context);
	cairo_arc(context, x + width - radius, y + radius, radius, -M_PI / 2, 0);
	cairo_arc(context, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
	cairo_arc(context, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
	cairo_arc(context, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
	cairo_close_path(context);
}

void BView::StrokeRoundRect(BRect rect, float xRadius, float)
{
	if (!_BeginPath())
		return;
	rounded_rect(fContext, rect.left + 0.5, rect.top + 0.5, rect.Width(), rect.Height(), xRadius);
	_Stroke();
}

void BView::FillRoundRect(BRect rect, float xRadius, float)
{
	if (!_BeginPath())
		return;
	rounded_rect(fContext, rect.left, rect.top, rect.Width() + 1, rect.Height() + 1, xRadius);
	_Fill();
}

static void ellipse(cairo_t* context, double x, double y, double width, double height)
{
	cairo_save(context);
	cairo_translate(context, x + width / 2, y + height / 2);
	cairo_scale(context, width / 2, height / 2);
	cairo_arc(context, 0, 0, 1, 0, 2 * M_PI);
	cairo_restore(context);
}

void BView::StrokeEllipse(BRect rect)
{
	if (!_BeginPath())
		return;
	ellipse(fContext, rect.left + 0.5, rect.top + 0.5, rect.Width(), rect.Height());
	_Stroke();
}

void BView::FillEllipse(BRect rect)
{
	if (!_BeginPath())
		return;
	ellipse(fContext, rect.left, rect.top, rect.Width() + 1, rect.Height() + 1);
	_Fill();
}

void BView::_Draw(cairo_t* context)
{
	cairo_save(context);
	cairo_translate(context, fFrame.left, fFrame.top);
	cairo_rectangle(context, 0, 0, fFrame.Width() + 1, fFrame.Height() + 1);
	cairo_clip(context);
	set_source(context, fViewColor);
	cairo_paint(context);
	if (fFlags & B_WILL_DRAW) {
		cairo_save(context);
		fContext = context;
		Draw(Bounds());
		fContext = nullptr;
		cairo_restore(context);
	}
	for (BView* child : fChildren)
		child->_Draw(context);
	cairo_restore(context);
}

BView* BView::_ViewAt(BPoint where)
{
	for (auto it = fChildren.rbegin(); it != fChildren.rend(); ++it) {
		if ((*it)->fFrame.Contains(where))
			return (*it)->_ViewAt((*it)->ConvertFromParent(where));
	}
	return this;
}
