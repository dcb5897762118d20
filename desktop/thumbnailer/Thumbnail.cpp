#include "Thumbnail.h"

#include "BitmapSink.h"
#include "DecodeImage.h"

#include <FailureLine.h>
#include <IdentifiedInput.h>
#include <OutputFile.h>

#include <Screen.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// The add-on's reading of the file, reduced to the box where it can.
GdkPixbuf* read_reduced(BTranslatorRoster& roster, const std::string& input, int size)
{
	InputSource source;
	translator_info info;
	if (!open_identified(roster, input, &source, &info))
		return nullptr;
	BMessage extension;
	extension.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, BPoint((float)size, (float)size));
	// Thumbnails are shown as sRGB: the colours through the file's profile.
	extension.AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, B_TRANSLATOR_COLOR_SRGB);
	BitmapSink sink(*BScreen().ColorMap());
	status_t status =
	    roster.Translate(source.Stream(), &info, &extension, &sink, B_TRANSLATOR_BITMAP);
	GError* error = nullptr;
	GdkPixbuf* pixbuf = finished_pixbuf(
	    sink, status, extension,
	    "the translator " + BPrivate::translator_name(roster, info.translator), &error);
	if (pixbuf == nullptr) {
		print_failure(input + ": " + error->message);
		g_error_free(error);
	}
	return pixbuf;
}

// Add-ons that cannot read an image reduced give it at its own size.
GdkPixbuf* fit_in_box(GdkPixbuf* pixbuf, int size)
{
	const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
	if (width <= size && height <= size)
		return pixbuf;
	const double scale = std::min((double)size / width, (double)size / height);
	GdkPixbuf* fitted =
	    gdk_pixbuf_scale_simple(pixbuf, std::max(1, (int)(width * scale + 0.5)),
	                            std::max(1, (int)(height * scale + 0.5)), GDK_INTERP_BILINEAR);
	g_object_unref(pixbuf);
	return fitted;
}

gboolean write_to_file(const gchar* bytes, gsize count, GError** error, gpointer file)
{
	if (fwrite(bytes, 1, count, (FILE*)file) == count)
		return TRUE;
	int code = errno != 0 ? errno : EIO;
	g_set_error_literal(error, G_FILE_ERROR, g_file_error_from_errno(code), strerror(code));
	return FALSE;
}

bool save_png(GdkPixbuf* pixbuf, const std::string& output)
{
	std::string reason;
	OutputFile out;
	bool written = out.Open(output, &reason);
	GError* error = nullptr;
	if (written &&
	    !gdk_pixbuf_save_to_callback(pixbuf, write_to_file, out.Stream(), "png", &error, nullptr)) {
		reason = error->message;
		g_error_free(error);
		written = false;
	}
	if (written && out.Commit(&reason))
		return true;
	print_failure("cannot write " + output + ": " + reason);
	return false;
}

} // namespace

bool make_thumbnail(BTranslatorRoster& roster, const std::string& input, const std::string& output,
                    int size)
{
	// Read in place, never copied into memory as a pipe or device would be.
	struct stat st;
	if (stat(input.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
		print_failure("cannot open " + input + ": not a regular file");
		return false;
	}
	GdkPixbuf* pixbuf = read_reduced(roster, input, size);
	if (pixbuf == nullptr)
		return false;
	pixbuf = fit_in_box(pixbuf, size);
	bool saved = pixbuf != nullptr && save_png(pixbuf, output);
	if (pixbuf == nullptr)
		print_failure(input + ": not enough memory to scale the image down");
	else
		g_object_unref(pixbuf);
	return saved;
}
