#include "PSDRequest.h"

#include <Tarnwick.h>
#include <TranslatorFormats.h>
#include <settings/PSDSettings.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

status_t PSDRequest::Fail(status_t status, const char* format, ...)
{
	// Not std::to_string: its digit table is a unique symbol, which would
	// keep the add-on loaded, and its settings, past the host's unload.
	char text[300];
	va_list arguments;
	va_start(arguments, format);
	vsnprintf(text, sizeof(text), format, arguments);
	va_end(arguments);
	reason = text;
	return status;
}

status_t psd_request_read(BPositionIO* in, BMessage* ioExtension, PSDRequest* request)
{
	request->in = in;
	// The lock guards this one copy; it is never held while decoding.
	g_settings_lock.Lock();
	request->alpha4 = g_settings.alpha4;
	request->multichannelRead = g_settings.multichannelRead;
	g_settings_lock.Unlock();
	if (ioExtension == nullptr)
		return B_OK;

	bool layers = false;
	if (ioExtension->FindBool(TARNWICK_EXT_LAYERS, &layers) == B_OK)
		request->layers = layers ? PSDRequest::kLayers : PSDRequest::kMergedImage;
	bool only = false;
	request->headerOnly =
	    ioExtension->FindBool(B_TRANSLATOR_EXT_HEADER_ONLY, &only) == B_OK && only;
	int32 colour = 0;
	if (ioExtension->FindInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, &colour) == B_OK) {
		request->colour = colour == B_TRANSLATOR_COLOR_SRGB           ? PSD_COLOUR_SRGB
		                  : colour == B_TRANSLATOR_COLOR_KEEP_PROFILE ? PSD_COLOUR_KEEP_PROFILE
		                                                              : PSD_COLOUR_AS_STORED;
	}
	int64 limit = 0;
	if (ioExtension->FindInt64(TARNWICK_EXT_WORK_LIMIT, &limit) == B_OK && limit > 0) {
		request->workLimit = (uint64)limit;
		request->explicitLimit = true;
	}
	BPoint box;
	if (ioExtension->FindPoint(B_TRANSLATOR_EXT_SIZE_BOX, &box) != B_OK)
		return B_OK;
	if (!(box.x >= 1 && box.y >= 1))
		return request->Fail(B_BAD_VALUE, "the size box asked for has no pixels");
	// Past any image's side, so large boxes need no care in the casts.
	const float kLargest = 1e9f;
	request->sizeBox = true;
	request->boxWidth = (uint32)std::min(box.x, kLargest);
	request->boxHeight = (uint32)std::min(box.y, kLargest);
	return B_OK;
}
