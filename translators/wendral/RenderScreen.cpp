#include "RenderScreen.h"

#include "AttributeRenderer.h"
#include "DisplayBits.h"

namespace {

// What a pixels-only screen shows: black ink on white paper, everywhere.
struct PlainAttributes {
	uint8 bytes[768];
};

constexpr PlainAttributes make_plain_attributes()
{
	PlainAttributes plain = {};
	for (uint8& attribute : plain.bytes)
		attribute = 0x38;
	return plain;
}

constexpr PlainAttributes kPlainAttributes = make_plain_attributes();

} // namespace

bool render_screen(ScreenForm form, const uint8* screen, const uint8 colorIndex[16], uint8* pixels)
{
	AttributeColours colours;
	switch (form) {
	case kClassic:
	case kPlus3DOS:
		spectrum_attribute_colours(colorIndex, &colours);
		render_cells(screen, screen + kBitmapBytes, colours, pixels);
		return true;
	case kPixelsOnly:
		spectrum_attribute_colours(colorIndex, &colours);
		render_cells(screen, kPlainAttributes.bytes, colours, pixels);
		return true;
	case kTimexHiColour:
		spectrum_attribute_colours(colorIndex, &colours);
		render_lines(screen, screen + kBitmapBytes, colours, pixels);
		return true;
	case kTimexHiRes:
		render_timex_hi_res(screen, colorIndex, pixels);
		return true;
	case kULAplus:
		return render_ulaplus(screen, pixels);
	case kGigascreen:
		return render_gigascreen(screen, pixels);
	case kNoScreen:
		break;
	}
	return false;
}
