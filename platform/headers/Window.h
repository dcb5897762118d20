#ifndef _WINDOW_H
#define _WINDOW_H

#include <Looper.h>
#include <Rect.h>

#include <memory>
#include <string>
#include <vector>

class BView;
class BWindow;

namespace BPrivate {
struct Framebuffer;
status_t get_window_pixels(BWindow* window, std::vector<uint32>* pixels, int32* width,
                           int32* height);
} // namespace BPrivate

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21,
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// A window: a looper whose thread draws its views into the window's
// framebuffer and hands them mouse input. The frame is the content area in
// screen coordinates. The first Show starts the thread. A window that quits
// is deleted on its own thread.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
	        uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void Show();
	bool IsHidden() const;

	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;

	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	BPoint ConvertToScreen(BPoint point) const;
	BPoint ConvertFromScreen(BPoint point) const;

	const char* Title() const;
	window_type Type() const;
	uint32 Flags() const;
	uint32 Workspaces() const;

private:
	friend class BView;
	friend status_t BPrivate::get_window_pixels(BWindow*, std::vector<uint32>*, int32*, int32*);

	void _Invalidate();
	void _DrawAll();
	void _ViewRemoved(BView* view);
	void _MouseEvent(BMessage* message);

	std::string fTitle;
	window_type fType;
	uint32 fFlags;
	uint32 fWorkspaces;
	BRect fFrame;
	BView* fTopView;
	BView* fMouseView;
	bool fShown;
	bool fUpdatePending;
	std::shared_ptr<BPrivate::Framebuffer> fFramebuffer;
	int32 fNativeWindow;
};

#endif
