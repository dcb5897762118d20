#include <CheckBox.h>

#include "ControlLook.h"

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
                     uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags)
{
}

BCheckBox::~BCheckBox() {}

void BCheckBox::Draw(BRect)
{
	BRect box = IndicatorFrame();
	SetHighColor(IsPressed() ? BPrivate::kControlPressedFill : BPrivate::kControlFill);
	FillRect(box);
	SetHighColor(BPrivate::kControlFrame);
	SetPenSize(1);
	StrokeRect(box);
	if (Value() != B_CONTROL_OFF) {
		SetHighColor(BPrivate::kControlMark);
		SetPenSize(2);
		BPoint knee(box.left + 5, box.bottom - 3);
		StrokeLine(BPoint(box.left + 3, box.top + 6), knee);
		StrokeLine(knee, BPoint(box.right - 3, box.top + 3));
		SetPenSize(1);
	}
	DrawLabel();
}

void BCheckBox::MouseUp(BPoint where)
{
	if (!IsTracking())
		return;
	SetTracking(false);
	if (!Bounds().Contains(where))
		return;
	SetValue(Value() == B_CONTROL_OFF ? B_CONTROL_ON : B_CONTROL_OFF);
	Invoke();
}
