#ifndef _VIEW_H
#define _VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

#include <vector>

typedef struct _cairo cairo_t;

class BWindow;

// Resizing modes: which parent edge each of the view's edges follows.
enum {
	_VIEW_TOP_ = 1,
	_VIEW_LEFT_ = 2,
	_VIEW_BOTTOM_ = 3,
	_VIEW_RIGHT_ = 4,
	_VIEW_CENTER_ = 5,
};

#define _rule_(r1, r2, r3, r4) (((r1) << 12) | ((r2) << 8) | ((r3) << 4) | (r4))

#define B_FOLLOW_NONE 0
#define B_FOLLOW_ALL_SIDES _rule_(_VIEW_TOP_, _VIEW_LEFT_, _VIEW_BOTTOM_, _VIEW_RIGHT_)
#define B_FOLLOW_ALL B_FOLLOW_ALL_SIDES
#define B_FOLLOW_LEFT _rule_(0, _VIEW_LEFT_, 0, _VIEW_LEFT_)
#define B_FOLLOW_RIGHT _rule_(0, _VIEW_RIGHT_, 0, _VIEW_RIGHT_)
#define B_FOLLOW_LEFT_RIGHT _rule_(0, _VIEW_LEFT_, 0, _VIEW_RIGHT_)
#define B_FOLLOW_TOP _rule_(_VIEW_TOP_, 0, _VIEW_TOP_, 0)
#define B_FOLLOW_BOTTOM _rule_(_VIEW_BOTTOM_, 0, _VIEW_BOTTOM_, 0)
#define B_FOLLOW_TOP_BOTTOM _rule_(_VIEW_TOP_, 0, _VIEW_BOTTOM_, 0)

// View flags.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL,
};

// Where the mouse went, for MouseMoved.
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW,
};

// A rectangle of a window that draws itself and takes mouse input. Its
// frame is in its parent's coordinates; its bounds start at (0, 0). Integer
// coordinates name pixels: a frame (0, 0, 9, 9) covers 10 x 10 pixels.
// Drawing happens in Draw, on the window's thread, into the window's
// framebuffer, clipped to the view.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~BView();

	virtual void MessageReceived(BMessage* message);
	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);

	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* Parent() const;
	BWindow* Window() const;

	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void ResizeTo(float width, float height);
	uint32 ResizingMode() const;
	uint32 Flags() const;

	BPoint ConvertToScreen(BPoint point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	BPoint ConvertToParent(BPoint point) const;
	BPoint ConvertFromParent(BPoint point) const;
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

	void Invalidate();

	void SetViewColor(rgb_color color);
	void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color ViewColor() const;
	void SetHighColor(rgb_color color);
	void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color HighColor() const;

	void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void GetFontHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	void SetPenSize(float size);

	void DrawString(const char* string, BPoint baseline);
	void StrokeLine(BPoint start, BPoint end);
	void StrokeRect(BRect rect);
	void FillRect(BRect rect);
	void StrokeRoundRect(BRect rect, float xRadius, float yRadius);
	void FillRoundRect(BRect rect, float xRadius, float yRadius);
	void StrokeEllipse(BRect rect);
	void FillEllipse(BRect rect);

private:
	friend class BWindow;

	void _Attach(BWindow* window);
	void _CallAllAttached();
	void _Detach();
	void _Draw(cairo_t* context);
	BView* _ViewAt(BPoint where);
	bool _BeginPath();
	void _Stroke();
	void _Fill();

	BRect fFrame;
	uint32 fResizingMode;
	uint32 fFlags;
	BView* fParent;
	BWindow* fWindow;
	std::vector<BView*> fChildren;
	rgb_color fViewColor;
	rgb_color fHighColor;
	BFont fFont;
	float fPenSize;
	cairo_t* fContext;
};

#endif
