#include <Control.h>
#include <Window.h>

#include "ControlLook.h"

#include <cmath>

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
                   uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), BInvoker(message, nullptr),
      fLabel(label != nullptr ? label : ""), fValue(B_CONTROL_OFF), fTracking(false),
      fPressed(false)
{
}

BControl::~BControl() {}

void BControl::AttachedToWindow()
{
	if (Parent() != nullptr)
		SetViewColor(Parent()->ViewColor());
	if (!Messenger().IsValid())
		SetTarget(Window());
}

void BControl::MouseDown(BPoint)
{
	fTracking = true;
	fPressed = true;
	Invalidate();
}

void BControl::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (!fTracking)
		return;
	bool inside = Bounds().Contains(where);
	if (inside != fPressed) {
		fPressed = inside;
		Invalidate();
	}
}

void BControl::SetLabel(const char* label)
{
	fLabel = label != nullptr ? label : "";
	Invalidate();
}

const char* BControl::Label() const
{
	return fLabel.c_str();
}

void BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	Invalidate();
}

int32 BControl::Value() const
{
	return fValue;
}

bool BControl::IsTracking() const
{
	return fTracking;
}

void BControl::SetTracking(bool tracking)
{
	fTracking = tracking;
	if (!tracking && fPressed) {
		fPressed = false;
		Invalidate();
	}
}

bool BControl::IsPressed() const
{
	return fTracking && fPressed;
}

float BControl::LabelBaseline() const
{
	font_height height;
	GetFontHeight(&height);
	return std::floor((Bounds().Height() + 1 - (height.ascent + height.descent)) / 2 +
	                  height.ascent);
}

BRect BControl::IndicatorFrame() const
{
	const float size = 12;
	float top = std::floor((Bounds().Height() + 1 - size) / 2);
	return BRect(1, top, size, top + size - 1);
}

void BControl::DrawLabel()
{
	SetHighColor(BPrivate::kControlText);
	DrawString(fLabel.c_str(), BPoint(IndicatorFrame().right + 6, LabelBaseline()));
}
