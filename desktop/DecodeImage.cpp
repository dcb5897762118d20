#include "DecodeImage.h"

#include "BitmapSink.h"
#include "DesktopFormats.h"
#include "SharedRoster.h"

#include <Message.h>
#include <Screen.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void fail(GError** error, GdkPixbufError code, const std::string& message)
{
	g_set_error_literal(error, GDK_PIXBUF_ERROR, code, message.c_str());
}

// The sink's refusal explains a failed Translate better than the add-on's
// status, which only echoes the failed Write.
void report_sink_failure(const BitmapSink& sink, const std::string& who, GError** error)
{
	switch (sink.Refusal()) {
	case BitmapSink::kBadHeader:
		fail(error, GDK_PIXBUF_ERROR_CORRUPT_IMAGE,
		     who + " produced a bitmap this loader cannot use: " + sink.Reason());
		break;
	case BitmapSink::kTooLarge:
		fail(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
		     "The image is " + std::to_string(sink.Width()) + " × " +
		         std::to_string(sink.Height()) + " pixels, more than the " +
		         std::to_string(kMaxPixbufPixels) + " pixels (1 GiB as RGBA) that this " +
		         "loader opens");
		break;
	case BitmapSink::kSmaller: // the reduced reading is asked for instead
	case BitmapSink::kDeclined:
		fail(error, GDK_PIXBUF_ERROR_FAILED,
		     "Loading stopped: the size asked for the image has no pixels");
		break;
	case BitmapSink::kNoMemory:
		fail(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
		     "Not enough memory for an image of " + std::to_string(sink.Width()) + " × " +
		         std::to_string(sink.Height()) + " pixels");
		break;
	case BitmapSink::kNone:
		break;
	}
}

// The add-on's own reason when it gave one.
void report_translate_failure(status_t status, const BMessage& extension, const std::string& who,
                              GError** error)
{
	const char* reason = nullptr;
	std::string text = BPrivate::translate_status_text(status, "image");
	if (extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason) == B_OK)
		text = std::string("could not read the image: ") + reason;
	else if (text.empty())
		text = "could not read the image: it is damaged or of a kind it does not support";
	fail(error,
	     status == B_NO_MEMORY ? GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY
	                           : GDK_PIXBUF_ERROR_CORRUPT_IMAGE,
	     who + " " + text);
}

BitmapSink::SizeRequest size_request(SizeFunc sizeFunc, void* userData)
{
	if (sizeFunc == nullptr)
		return BitmapSink::SizeRequest();
	return [sizeFunc, userData](uint32* width, uint32* height) {
		int w = (int)std::min<uint32>(*width, INT_MAX);
		int h = (int)std::min<uint32>(*height, INT_MAX);
		sizeFunc(&w, &h, userData);
		*width = w > 0 ? (uint32)w : 0;
		*height = h > 0 ? (uint32)h : 0;
	};
}

// gdk-pixbuf hands this module the files whose name or MIME type is one of
// its formats or whose bytes match one of its signatures, and never says
// which. A file that no add-on knows by its bytes alone came by its name or
// type, so it is asked about again as each format that has no signature
// (SCREEN$, *.scr): some lengths of those are lengths that any file may have,
// and the add-on reads them only when told what the file is.
status_t identify(BTranslatorRoster& roster, BPositionIO* source, translator_info* info)
{
	status_t status = roster.Identify(source, nullptr, info, 0, nullptr, B_TRANSLATOR_BITMAP);
	for (size_t i = 0; status != B_OK && i < kDesktopFormatCount; i++) {
		const DesktopFormat& format = kDesktopFormats[i];
		if (format.signature == nullptr)
			status =
			    roster.Identify(source, nullptr, info, 0, format.systemMIME, B_TRANSLATOR_BITMAP);
	}
	return status;
}

} // namespace

GdkPixbuf* finished_pixbuf(BitmapSink& sink, status_t status, const BMessage& extension,
                           const std::string& who, GError** error)
{
	if (sink.Refusal() != BitmapSink::kNone)
		report_sink_failure(sink, who, error);
	else if (status != B_OK)
		report_translate_failure(status, extension, who, error);
	else if (!sink.Complete())
		fail(error, GDK_PIXBUF_ERROR_CORRUPT_IMAGE, who + " produced an incomplete bitmap");
	else
		return sink.TakePixbuf();
	return nullptr;
}

namespace {

// The colour request: sRGB through the image's profile unless
// TRANSLATORS_COLOR_MANAGEMENT (read once) says "keep-profile" (samples of
// RGB and gray images as stored, their profile attached to the pixbuf) or
// "none".
int32 colour_request()
{
	static const int32 request = [] {
		const char* value = getenv("TRANSLATORS_COLOR_MANAGEMENT");
		if (value != nullptr && strcmp(value, "none") == 0)
			return (int32)0;
		if (value != nullptr && strcmp(value, "keep-profile") == 0)
			return (int32)B_TRANSLATOR_COLOR_KEEP_PROFILE;
		return (int32)B_TRANSLATOR_COLOR_SRGB;
	}();
	return request;
}

} // namespace

void ask_for_colour(BMessage* extension)
{
	if (colour_request() != 0)
		extension->AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, colour_request());
}

void attach_profile(GdkPixbuf* pixbuf, const BMessage& extension)
{
	const void* profile = nullptr;
	ssize_t size = 0;
	if (pixbuf == nullptr ||
	    extension.FindData(B_TRANSLATOR_EXT_COLOR_PROFILE, B_RAW_TYPE, 0, &profile, &size) !=
	        B_OK ||
	    size <= 0)
		return;
	gchar* text = g_base64_encode((const guchar*)profile, (gsize)size);
	gdk_pixbuf_set_option(pixbuf, "icc-profile", text);
	g_free(text);
}

GdkPixbuf* decode_image(BPositionIO* source, SizeFunc sizeFunc, void* userData, GError** error)
{
	SharedRoster& shared = shared_roster();
	BTranslatorRoster& roster = shared.roster;

	std::string names = BPrivate::joined(BPrivate::translator_names(roster));
	if (names.empty()) {
		fail(error, GDK_PIXBUF_ERROR_UNKNOWN_TYPE,
		     "No translator add-ons were found (looked in " + BPrivate::joined(shared.directories) +
		         ")");
		return nullptr;
	}

	translator_info info;
	if (identify(roster, source, &info) != B_OK) {
		fail(error, GDK_PIXBUF_ERROR_UNKNOWN_TYPE,
		     "None of the translator add-ons (" + names + ") recognises this image");
		return nullptr;
	}

	// The header alone first, so that the size is asked for, and checked,
	// before anything is decoded or held. An add-on that writes the whole
	// bitmap anyway has given the picture.
	const color_map& colors = *BScreen().ColorMap();
	const std::string who = "The translator " + BPrivate::translator_name(roster, info.translator);
	BMessage extension;
	bool reduced = false;
	BPoint box;
	{
		BitmapSink sink(colors, size_request(sizeFunc, userData));
		BMessage headerOnly;
		headerOnly.AddBool(B_TRANSLATOR_EXT_HEADER_ONLY, true);
		ask_for_colour(&headerOnly);
		status_t status = roster.Translate(source, &info, &headerOnly, &sink, B_TRANSLATOR_BITMAP);
		if (sink.Complete() || (sink.Refusal() != BitmapSink::kSmaller &&
		                        (sink.Refusal() != BitmapSink::kNone || status != B_OK))) {
			GdkPixbuf* pixbuf = finished_pixbuf(sink, status, headerOnly, who, error);
			attach_profile(pixbuf, headerOnly);
			return pixbuf;
		}
		// Asked for less: an add-on that honours the box reads the image
		// reduced, and gdk-pixbuf scales what comes to the exact size.
		reduced = sink.Refusal() == BitmapSink::kSmaller;
		box = BPoint((float)sink.AskedWidth(), (float)sink.AskedHeight());
	}
	if (reduced)
		extension.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, box);
	ask_for_colour(&extension);
	BitmapSink sink(colors);
	status_t status = roster.Translate(source, &info, &extension, &sink, B_TRANSLATOR_BITMAP);
	GdkPixbuf* pixbuf = finished_pixbuf(sink, status, extension, who, error);
	attach_profile(pixbuf, extension);
	return pixbuf;
}
