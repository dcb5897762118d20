// The gdk-pixbuf loader module: every GTK and gdk-pixbuf program reads the
// formats of the Translation Kit add-ons through it.

#include "DecodeImage.h"
#include "FormatInfo.h"
#include "SharedRoster.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <vector>

namespace {

// The file as it arrives, growing up to kMaxInputBytes.
class InputBuffer {
public:
	bool Append(const uint8* bytes, size_t size, GError** error)
	{
		if (size > kMaxInputBytes - fBytes.size()) {
			g_set_error(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
			            "The image file is larger than the %zu MiB that this loader reads",
			            kMaxInputBytes >> 20);
			return false;
		}
		try {
			// Grow by doubling, but never past the bound.
			size_t needed = fBytes.size() + size;
			if (needed > fBytes.capacity())
				fBytes.reserve(std::min(std::max(needed, 2 * fBytes.capacity()), kMaxInputBytes));
			fBytes.insert(fBytes.end(), bytes, bytes + size);
		} catch (const std::bad_alloc&) {
			g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
			                    "Not enough memory to hold the image file");
			return false;
		}
		return true;
	}

	const uint8* Data() const { return fBytes.data(); }
	size_t Size() const { return fBytes.size(); }

private:
	std::vector<uint8> fBytes;
};

struct LoadContext {
	GdkPixbufModuleSizeFunc sizeFunc;
	GdkPixbufModulePreparedFunc preparedFunc;
	GdkPixbufModuleUpdatedFunc updatedFunc;
	gpointer userData;
	InputBuffer input;
};

gpointer begin_load(GdkPixbufModuleSizeFunc sizeFunc, GdkPixbufModulePreparedFunc preparedFunc,
                    GdkPixbufModuleUpdatedFunc updatedFunc, gpointer userData, GError** error)
{
	LoadContext* context = new (std::nothrow)
	    LoadContext{sizeFunc, preparedFunc, updatedFunc, userData, InputBuffer()};
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
	GdkPixbuf* pixbuf = decode_image(context->input.Data(), context->input.Size(),
	                                 context->sizeFunc, context->userData, error);
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

GdkPixbuf* load(FILE* file, GError** error)
{
	InputBuffer input;
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
	return decode_image(input.Data(), input.Size(), nullptr, nullptr, error);
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
