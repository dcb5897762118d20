#include <StringView.h>

#include "ControlLook.h"

#include <cmath>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
                         uint32 flags)
    : BView(frame, name, resizingMode, flags), fText(text != nullptr ? text : "")
{
}

BStringView::~BStringView() {}

void BStringView::AttachedToWindow()
{
	if (Parent() != nullptr)
		SetViewColor(Parent()->ViewColor());
}

void BStringView::Draw(BRect)
{
	font_height height;
	GetFontHeight(&height);
	float baseline =
	    std::floor((Bounds().Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
	SetHighColor(BPrivate::kControlText);
	DrawString(fText.c_str(), BPoint(0, baseline));
}

void BStringView::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
	Invalidate();
}

const char* BStringView::Text() const
{
	return fText.c_str();
}
