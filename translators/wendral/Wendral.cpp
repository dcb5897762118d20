// Wendral: reads ZX Spectrum SCREEN$ images (the 6912-byte display memory
// dump, bare or with a prefix, and the forms ZX users exchange beside it)
// into Be bitmaps: colour-mapped where the screen's colour map holds the
// colours, RGBA otherwise.

#include "RenderScreen.h"
#include "SpectrumColours.h"

#include <BitmapStream.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <cstdlib>

namespace {

const uint32 kZXType = 0x5A582020; // 'ZX  '

} // namespace

char translatorName[] = "Wendral";
char translatorInfo[] = "ZX Spectrum SCREEN$ images, by the Wendral authors";
int32 translatorVersion = 210;

translation_format inputFormats[] = {
    {kZXType, B_TRANSLATOR_BITMAP, 0.9f, 0.8f, "image/x-zx", "ZX Spectrum SCREEN$"},
    {0, 0, 0.0f, 0.0f, "", ""},
};

translation_format outputFormats[] = {
    {B_TRANSLATOR_BITMAP, B_TRANSLATOR_BITMAP, 0.3f, 0.5f, "image/x-be-bitmap",
     "Be bitmap (B_CMAP8; B_RGBA32 for ULAplus and gigascreen)"},
    {0, 0, 0.0f, 0.0f, "", ""},
};

status_t Identify(BPositionIO* inSource, const translation_format* inFormat, BMessage*,
                  translator_info* outInfo, uint32 outType)
{
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	if (inSource == nullptr || outInfo == nullptr)
		return B_BAD_VALUE;

	uint8 scratch[kReadBytes];
	ssize_t length = inSource->Read(scratch, sizeof(scratch));
	if (find_screen(scratch, length, hint_names_screen(inFormat)).form == kNoScreen)
		return B_NO_TRANSLATOR;

	BPrivate::fill_translator_info(inputFormats[0], outInfo);
	return B_OK;
}

// A translator_info of type 'ZX  ' says the stream is a SCREEN$ as plainly as
// a format hint does, so every form is read here.
status_t Translate(BPositionIO* inSource, const translator_info* inInfo, BMessage*, uint32 outType,
                   BPositionIO* outDestination)
{
	if (inSource == nullptr || inInfo == nullptr || outDestination == nullptr)
		return B_BAD_VALUE;
	if (inInfo->type != kZXType)
		return B_NO_TRANSLATOR;
	if (outType == 0)
		outType = B_TRANSLATOR_BITMAP;
	if (outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;

	uint8 input[kReadBytes];
	ssize_t length = inSource->Read(input, sizeof(input));
	FoundScreen found = find_screen(input, length, true);
	if (found.form == kNoScreen)
		return B_NO_TRANSLATOR;

	BitmapShape shape = bitmap_shape(found.form);
	uint8 colorIndex[16] = {};
	if (shape.colors == B_CMAP8)
		fill_color_index(colorIndex);

	uint8* pixels = (uint8*)malloc(shape.DataSize());
	if (pixels == nullptr || !render_screen(found.form, input + found.start, colorIndex, pixels)) {
		free(pixels);
		return B_NO_MEMORY;
	}

	status_t status = BPrivate::write_bitmap_stream(
	    outDestination,
	    BPrivate::bitmap_header(shape.width, shape.height, shape.colors, shape.rowBytes), pixels);
	free(pixels);
	return status;
}
