#include "PngColour.h"

#include <TranslatorFormats.h>

#include <png.h>

#include <cstring>

namespace {

void append(png_structp png, png_bytep data, size_t size)
{
	std::vector<uint8>* head = (std::vector<uint8>*)png_get_io_ptr(png);
	head->insert(head->end(), data, data + size);
}

void flush(png_structp) {}

void error(png_structp png, png_const_charp message)
{
	std::string* reason = (std::string*)png_get_error_ptr(png);
	*reason = message;
	png_longjmp(png, 1);
}

// libpng warns, for one, when it drops a profile it finds wrong.
void warning(png_structp png, png_const_charp message)
{
	std::string* reason = (std::string*)png_get_error_ptr(png);
	*reason = message;
}

// Kept apart from anything with a destructor, which longjmp would skip.
bool write_head(png_structp png, png_infop info, const PngColour& colour, uint32 width,
                uint32 height, int colorType, std::vector<uint8>* head)
{
	if (setjmp(png_jmpbuf(png)))
		return false;
	png_set_write_fn(png, head, append, flush);
	png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE,
	             PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
	if (colour.srgb) {
		// The intent the colours were converted with.
		png_set_sRGB(png, info, PNG_sRGB_INTENT_RELATIVE);
	} else {
		png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, colour.profile.data(),
		             (png_uint_32)colour.profile.size());
		if (!png_get_valid(png, info, PNG_INFO_iCCP))
			return false;
	}
	png_write_info(png, info);
	return true;
}

} // namespace

PngColour png_colour(const BMessage& extension)
{
	PngColour colour;
	bool srgb = false;
	const void* data = nullptr;
	ssize_t size = 0;
	if (extension.FindBool(B_TRANSLATOR_EXT_COLOR_SRGB, &srgb) == B_OK)
		colour.srgb = srgb;
	else if (extension.FindData(B_TRANSLATOR_EXT_COLOR_PROFILE, B_RAW_TYPE, 0, &data, &size) ==
	             B_OK &&
	         size > 0)
		colour.profile.assign((const uint8*)data, (const uint8*)data + size);
	return colour;
}

bool png_colour_needs_rgb(const PngColour& colour)
{
	// The profile header's colour space field.
	return colour.profile.size() >= 20 && memcmp(colour.profile.data() + 16, "RGB ", 4) == 0;
}

bool png_colour_head(const PngColour& colour, uint32 width, uint32 height, int colorType,
                     std::vector<uint8>* head, std::string* reason)
{
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, reason, error, warning);
	png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
	bool written = info != nullptr && write_head(png, info, colour, width, height, colorType, head);
	png_destroy_write_struct(&png, &info);
	if (!written && reason->empty())
		*reason = "libpng cannot write the colour chunk";
	return written;
}
