#include <Font.h>

#include "FontCache.h"

#include <algorithm>

namespace {

BFont make_font(const char* family, const char* style)
{
	BFont font;
	font.SetFamilyAndStyle(family, style);
	return font;
}

const BFont kPlainFont = make_font("DejaVu Sans", "Book");
const BFont kBoldFont = make_font("DejaVu Sans", "Bold");

} // namespace

const BFont* be_plain_font = &kPlainFont;
const BFont* be_bold_font = &kBoldFont;

// 10.5 pixels: layouts made for the platform's fonts give a label like
// "Multichannel:" 71 pixels, which DejaVu Sans just fills at this size.
BFont::BFont() : fFamily("DejaVu Sans"), fStyle("Book"), fSize(10.5f) {}

BFont::BFont(const BFont& font) : fFamily(font.fFamily), fStyle(font.fStyle), fSize(font.fSize) {}

BFont::BFont(const BFont* font) : BFont(font != nullptr ? *font : BFont()) {}

BFont& BFont::operator=(const BFont& font)
{
	fFamily = font.fFamily;
	fStyle = font.fStyle;
	fSize = font.fSize;
	return *this;
}

bool BFont::operator==(const BFont& font) const
{
	return fFamily == font.fFamily && fStyle == font.fStyle && fSize == font.fSize;
}

status_t BFont::SetFamilyAndStyle(const char* family, const char* style)
{
	if (family == nullptr && style == nullptr)
		return B_BAD_VALUE;
	if (family != nullptr)
		fFamily = family;
	if (style != nullptr)
		fStyle = style;
	return B_OK;
}

void BFont::SetSize(float size)
{
	if (size > 0)
		fSize = size;
}

float BFont::Size() const
{
	return fSize;
}

void BFont::GetHeight(font_height* height) const
{
	if (height == nullptr)
		return;
	cairo_font_extents_t extents;
	cairo_scaled_font_extents(BPrivate::scaled_font_for(*this), &extents);
	height->ascent = (float)extents.ascent;
	height->descent = (float)extents.descent;
	height->leading = std::max(0.0f, (float)(extents.height - extents.ascent - extents.descent));
}

float BFont::StringWidth(const char* string) const
{
	if (string == nullptr)
		return 0;
	cairo_text_extents_t extents;
	cairo_scaled_font_text_extents(BPrivate::scaled_font_for(*this), string, &extents);
	return (float)extents.x_advance;
}
