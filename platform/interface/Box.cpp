#include <Box.h>

#include "ControlLook.h"

#include <cmath>

BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border)
    : BView(frame, name, resizingMode, flags), fBorder(border)
{
	SetFont(be_bold_font);
}

BBox::~BBox() {}

void BBox::AttachedToWindow()
{
	if (Parent() != nullptr)
		SetViewColor(Parent()->ViewColor());
}

void BBox::Draw(BRect)
{
	font_height height;
	GetFontHeight(&height);
	BRect bounds = Bounds();
	// The top edge runs through the middle of the label.
	float top = fLabel.empty() ? 0 : std::floor((height.ascent + height.descent) / 2);
	BRect frame(bounds.left, top, bounds.right, bounds.bottom);
	switch (fBorder) {
	case B_FANCY_BORDER:
		SetHighColor(BPrivate::kEtchLight);
		StrokeRect(BRect(frame.left + 1, frame.top + 1, frame.right, frame.bottom));
		SetHighColor(BPrivate::kEtchShadow);
		StrokeRect(BRect(frame.left, frame.top, frame.right - 1, frame.bottom - 1));
		break;
	case B_PLAIN_BORDER:
		SetHighColor(BPrivate::kEtchShadow);
		StrokeRect(frame);
		break;
	case B_NO_BORDER:
		break;
	}
	if (fLabel.empty())
		return;
	const float x = 10;
	float width = StringWidth(fLabel.c_str());
	SetHighColor(ViewColor());
	FillRect(BRect(x - 3, 0, x + width + 2, height.ascent + height.descent));
	SetHighColor(BPrivate::kControlText);
	DrawString(fLabel.c_str(), BPoint(x, std::floor(height.ascent)));
}

void BBox::SetLabel(const char* label)
{
	fLabel = label != nullptr ? label : "";
	Invalidate();
}

const char* BBox::Label() const
{
	return fLabel.c_str();
}

void BBox::SetBorder(border_style border)
{
	fBorder = border;
	Invalidate();
}

border_style BBox::Border() const
{
	return fBorder;
}
