#include "ScreenForms.h"

#include "DisplayBits.h"

#include <strings.h>

namespace {

const uint32 kZXType = 0x5A582020; // 'ZX  '
const size_t kPlus3DOSHeaderBytes = 128;

// "PLUS3DOS", the soft end of file, then issue and version bytes; the last
// header byte is the sum of the others.
bool plus3dos_header_valid(const uint8* header)
{
	if (memcmp(header, "PLUS3DOS\x1A", 9) != 0)
		return false;
	uint8 sum = 0;
	for (size_t i = 0; i < kPlus3DOSHeaderBytes - 1; i++)
		sum += header[i];
	return sum == header[kPlus3DOSHeaderBytes - 1];
}

} // namespace

FoundScreen find_screen(const uint8* stream, ssize_t length, bool saidToBeScreen)
{
	switch (length) {
	case 6912:
		return {kClassic, 0};
	case 6912 + 9:
		return {kClassic, 9};
	case 6912 + 12:
		return {kClassic, 12};
	case 265 + 6912 + 219:
		return {kClassic, 265};
	case 6912 + 64:
		return {kULAplus, 0};
	case 12288 + 1:
		return {kTimexHiRes, 0};
	case 2 * 6912:
		return {kGigascreen, 0};
	case kPlus3DOSHeaderBytes + 6912:
		if (plus3dos_header_valid(stream))
			return {kPlus3DOS, kPlus3DOSHeaderBytes};
		break;
	case 6144:
		if (saidToBeScreen)
			return {kPixelsOnly, 0};
		break;
	case 12288:
		if (saidToBeScreen)
			return {kTimexHiColour, 0};
		break;
	}
	return {kNoScreen, 0};
}

bool hint_names_screen(const translation_format* hint)
{
	if (hint == nullptr)
		return false;
	// The comparisons stop at the NUL of the literal, so an unterminated
	// MIME field is never read past.
	return hint->type == kZXType ||
	       strncasecmp(hint->MIME, "image/x-zx", sizeof(hint->MIME)) == 0 ||
	       strncasecmp(hint->MIME, "image/x-zx-screen", sizeof(hint->MIME)) == 0;
}

BitmapShape bitmap_shape(ScreenForm form)
{
	switch (form) {
	case kULAplus:
	case kGigascreen:
		return {kScreenWidth, kScreenHeight, B_RGBA32, 4 * kScreenWidth};
	case kTimexHiRes:
		return {2 * kScreenWidth, kScreenHeight, B_CMAP8, 2 * kScreenWidth};
	default:
		return {kScreenWidth, kScreenHeight, B_CMAP8, kScreenWidth};
	}
}
