// The gdk-pixbuf loader module: every GTK and gdk-pixbuf program reads the
// formats of the Translation Kit add-ons through it.

#include "DecodeImage.h"
#include "DescriptorIO.h"
#include "FormatInfo.h"
#include "SharedRoster.h"
#include "SpooledInput.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <sys/stat.h>

namespace {

struct LoadContext {
	GdkPixbufModuleSizeFunc sizeFunc;
	GdkPixbufModulePreparedFunc preparedFunc;
	GdkPixbufModuleUpdatedFunc updatedFunc;
	gpointer userData;
	SpooledInput input;
};

// The add-ons' reading of what arrived, or null with *error set.
GdkPixbuf* decode_input(SpooledInput& input, GdkPixbufModuleSizeFunc sizeFunc, gpointer userData,
                        GError** error)
{
	BPositionIO* stream = input.Stream();
	if (stream == nullptr) {
		g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
		                    "Not enough memory to read the image file");
		return nullptr;
	}
	return decode_image(stream, sizeFunc, userData, error);
}

gpointer begin_load(GdkPixbufModuleSizeFunc sizeFunc, GdkPixbufModulePreparedFunc preparedFunc,
                    GdkPixbufModuleUpdatedFunc updatedFunc, gpointer userData, GError** error)
{
	LoadContext* context =
	    new (std::nothrow) LoadContext{sizeFunc, preparedFunc, updatedFunc, userData, {}};
	if (context == nullptr)
		g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
		                    "Not enough memory to start loading the image");
	return context;
}

gboolean load_increment(gpointer data, const guchar* bytes, guint size, GError** error)
{
	LoadContext* context = (LoadContext*)data;
	return context->input.Append(bytes, size, error);
}

// The add-ons read whole positionable streams, so the image is translated
// once all of it is in, and announced as prepared and fully updated at once.
gboolean stop_load(gpointer data, GError** error)
{
	LoadContext* context = (LoadContext*)data;
	GdkPixbuf* pixbuf = decode_input(context->input, context->sizeFunc, context->userData, error);
	if (pixbuf != nullptr) {
		if (context->preparedFunc != nullptr)
			context->preparedFunc(pixbuf, nullptr, context->userData);
		if (context->updatedFunc != nullptr)
			context->updatedFunc(pixbuf, 0, 0, gdk_pixbuf_get_width(pixbuf),
			                     gdk_pixbuf_get_height(pixbuf), context->userData);
		g_object_unref(pixbuf);
	}
	delete context;
	return pixbuf != nullptr;
}

// A regular file is read in place; anything else as it comes.
GdkPixbuf* load(FILE* file, GError** error)
{
	struct stat st;
	if (fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) {
		DescriptorIO in(fileno(file));
		return decode_image(&in, nullptr, nullptr, error);
	}
	SpooledInput input;
	uint8 chunk[16384];
	size_t got;
	errno = 0;
	while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) {
		if (!input.Append(chunk, got, error))
			return nullptr;
	}
	if (ferror(file)) {
		int code = errno != 0 ? errno : EIO;
		g_set_error(error, G_FILE_ERROR, g_file_error_from_errno(code),
		            "Could not read the image file: %s", g_strerror(code));
		return nullptr;
	}
	return decode_input(input, nullptr, nullptr, error);
}

} // namespace

extern "C" {

G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module)
{
	module->load = load;
	module->begin_load = begin_load;
	module->load_increment = load_increment;
	module->stop_load = stop_load;
}

G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info)
{
	fill_format_info(shared_roster().roster, info);
}

} // extern "C"
