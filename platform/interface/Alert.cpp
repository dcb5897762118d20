#include <Alert.h>
#include <Screen.h>
#include <View.h>

#include "ControlLook.h"
#include "Display.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace BPrivate {

struct AlertResult {
	std::mutex lock;
	std::condition_variable set;
	bool done = false;
	int32 index = -1;

	void Set(int32 value)
	{
		std::lock_guard<std::mutex> guard(lock);
		if (done)
			return;
		done = true;
		index = value;
		set.notify_all();
	}

	bool IsDone()
	{
		std::lock_guard<std::mutex> guard(lock);
		return done;
	}

	int32 Wait()
	{
		std::unique_lock<std::mutex> guard(lock);
		set.wait(guard, [this] { return done; });
		return index;
	}
};

class AlertButton : public BView {
public:
	AlertButton(BRect frame, const char* label, int32 index, bool isDefault)
	    : BView(frame, label, B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, B_WILL_DRAW | B_NAVIGABLE),
	      fIndex(index), fDefault(isDefault), fPressed(false)
	{
	}

	void AttachedToWindow() override { SetViewColor(Parent()->ViewColor()); }

	void Draw(BRect) override
	{
		BRect frame = Bounds();
		if (fDefault) {
			SetHighColor(kControlFrame);
			StrokeRoundRect(frame, 4, 4);
			frame.InsetBy(2, 2);
		}
		SetHighColor(fPressed ? kControlPressedFill : make_color(240, 240, 240));
		FillRoundRect(frame, 3, 3);
		SetHighColor(kControlFrame);
		StrokeRoundRect(frame, 3, 3);
		font_height height;
		GetFontHeight(&height);
		float x = std::floor((Bounds().Width() + 1 - StringWidth(Name())) / 2);
		float y = std::floor((Bounds().Height() + 1 - (height.ascent + height.descent)) / 2 +
		                     height.ascent);
		SetHighColor(kControlText);
		DrawString(Name(), BPoint(x, y));
	}

	void MouseDown(BPoint) override
	{
		fPressed = true;
		Invalidate();
	}

	void MouseUp(BPoint where) override
	{
		bool pressed = fPressed;
		fPressed = false;
		Invalidate();
		if (pressed && Bounds().Contains(where))
			static_cast<BAlert*>(Window())->_ButtonPressed(fIndex);
	}

private:
	int32 fIndex;
	bool fDefault;
	bool fPressed;
};

} // namespace BPrivate

namespace {

const float kPadding = 12;
const float kStripe = 36;
const float kButtonHeight = 26;
const float kUsualButtonWidth = 75;

class AlertBackground : public BView {
public:
	AlertBackground(BRect frame, const std::string& text, alert_type type)
	    : BView(frame, "alert", B_FOLLOW_ALL_SIDES, B_WILL_DRAW), fText(text), fType(type)
	{
		SetViewColor(B_PANEL_BACKGROUND);
	}

	void Draw(BRect) override
	{
		SetHighColor(make_color(190, 190, 190));
		FillRect(BRect(0, 0, kStripe - 1, Bounds().bottom));
		if (fType != B_EMPTY_ALERT) {
			BRect mark(kStripe - 14, kPadding, kStripe + 13, kPadding + 27);
			SetHighColor(fType == B_STOP_ALERT || fType == B_WARNING_ALERT
			                 ? make_color(200, 60, 40)
			                 : make_color(60, 100, 180));
			FillEllipse(mark);
			SetFont(be_bold_font);
			SetHighColor(make_color(255, 255, 255));
			const char* sign = fType == B_INFO_ALERT || fType == B_IDEA_ALERT ? "i" : "!";
			DrawString(sign, BPoint(kStripe - StringWidth(sign) / 2, kPadding + 19));
			SetFont(be_plain_font);
		}
		font_height height;
		GetFontHeight(&height);
		SetHighColor(BPrivate::kControlText);
		DrawString(fText.c_str(),
		           BPoint(kStripe + 20 + kPadding, kPadding + std::ceil(height.ascent)));
	}

private:
	std::string fText;
	alert_type fType;
};

std::vector<std::string> button_labels(const char* button1, const char* button2,
                                       const char* button3)
{
	std::vector<std::string> labels;
	for (const char* label : {button1, button2, button3}) {
		if (label != nullptr)
			labels.push_back(label);
	}
	return labels;
}

std::vector<float> button_widths(const std::vector<std::string>& labels, button_width width)
{
	std::vector<float> own;
	float widest = 0;
	for (const std::string& label : labels) {
		own.push_back(std::ceil(be_plain_font->StringWidth(label.c_str())) + 20);
		widest = std::max(widest, own.back());
	}
	for (float& w : own) {
		if (width == B_WIDTH_FROM_WIDEST)
			w = widest;
		else if (width == B_WIDTH_AS_USUAL)
			w = std::max(w, kUsualButtonWidth);
	}
	return own;
}

// Sized to the text and the buttons, centred on the main screen.
BRect alert_frame(const char* text, const std::vector<float>& widths)
{
	float buttons = 0;
	for (float width : widths)
		buttons += width + 8;
	float textWidth = be_plain_font->StringWidth(text != nullptr ? text : "");
	float width = std::ceil(kStripe + 20 + 2 * kPadding + std::max(textWidth, buttons));
	float height = kPadding + 28 + 8 + kButtonHeight + kPadding;
	BRect screen = BScreen().Frame();
	float left = std::floor(screen.left + (screen.Width() - width) / 2);
	float top = std::floor(screen.top + (screen.Height() - height) / 3);
	return BRect(left, top, left + width - 1, top + height - 1);
}

} // namespace

BAlert::BAlert(const char* title, const char* text, const char* button1, const char* button2,
               const char* button3, button_width width, alert_type type)
    : BWindow(alert_frame(text, button_widths(button_labels(button1, button2, button3), width)),
              title, B_MODAL_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE),
      fText(text != nullptr ? text : ""), fResult(std::make_shared<BPrivate::AlertResult>())
{
	BView* background = new AlertBackground(Bounds(), fText, type);
	AddChild(background);
	std::vector<std::string> labels = button_labels(button1, button2, button3);
	std::vector<float> widths = button_widths(labels, width);
	float right = Bounds().right - kPadding;
	float top = Bounds().bottom - kPadding - kButtonHeight + 1;
	// Laid out from the right; the last button is the default one.
	for (int32 i = (int32)labels.size() - 1; i >= 0; i--) {
		BRect frame(right - widths[i] + 1, top, right, top + kButtonHeight - 1);
		background->AddChild(
		    new BPrivate::AlertButton(frame, labels[i].c_str(), i, i == (int32)labels.size() - 1));
		right -= widths[i] + 8;
	}
}

BAlert::~BAlert()
{
	fResult->Set(-1);
	BPrivate::display::wake();
}

int32 BAlert::Go()
{
	std::shared_ptr<BPrivate::AlertResult> result = fResult;
	if (!BPrivate::display::is_open()) {
		fprintf(stderr, "%s: %s\n", Title(), fText.c_str());
		Quit();
		return 0;
	}
	Show();
	if (BPrivate::display::on_display_thread()) {
		while (!result->IsDone())
			BPrivate::display::wait_events();
	}
	return result->Wait();
}

void BAlert::_ButtonPressed(int32 index)
{
	fResult->Set(index);
	BPrivate::display::wake();
	Quit();
}
