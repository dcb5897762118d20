#include <RadioButton.h>

#include "ControlLook.h"

BRadioButton::BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
                           uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags)
{
}

BRadioButton::~BRadioButton() {}

void BRadioButton::Draw(BRect)
{
	BRect circle = IndicatorFrame();
	SetHighColor(IsPressed() ? BPrivate::kControlPressedFill : BPrivate::kControlFill);
	FillEllipse(circle);
	SetHighColor(BPrivate::kControlFrame);
	SetPenSize(1);
	StrokeEllipse(circle);
	if (Value() != B_CONTROL_OFF) {
		SetHighColor(BPrivate::kControlMark);
		FillEllipse(circle.InsetByCopy(3, 3));
	}
	DrawLabel();
}

void BRadioButton::MouseUp(BPoint where)
{
	if (!IsTracking())
		return;
	SetTracking(false);
	if (!Bounds().Contains(where))
		return;
	SetValue(B_CONTROL_ON);
	Invoke();
}

void BRadioButton::SetValue(int32 value)
{
	if (value != B_CONTROL_OFF && Parent() != nullptr) {
		for (int32 i = 0; BView* sibling = Parent()->ChildAt(i); i++) {
			BRadioButton* other = dynamic_cast<BRadioButton*>(sibling);
			if (other != nullptr && other != this)
				other->SetValue(B_CONTROL_OFF);
		}
	}
	BControl::SetValue(value);
}
