#ifndef _FONT_H
#define _FONT_H

#include <SupportDefs.h>

#include <string>

struct font_height {
	float ascent;
	float descent;
	float leading;
};

// Which properties BView::SetFont takes from a font.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000FF,
};

// A family, a style and a size in pixels; faces come through fontconfig.
class BFont {
public:
	BFont();
	BFont(const BFont& font);
	BFont(const BFont* font);

	BFont& operator=(const BFont& font);
	bool operator==(const BFont& font) const;
	bool operator!=(const BFont& font) const { return !(*this == font); }

	status_t SetFamilyAndStyle(const char* family, const char* style);
	const char* Family() const { return fFamily.c_str(); }
	const char* Style() const { return fStyle.c_str(); }
	void SetSize(float size);
	float Size() const;

	void GetHeight(font_height* height) const;
	float StringWidth(const char* string) const;

private:
	std::string fFamily;
	std::string fStyle;
	float fSize;
};

// DejaVu Sans and DejaVu Sans Bold at 10.5 pixels.
extern const BFont* be_plain_font;
extern const BFont* be_bold_font;

#endif
