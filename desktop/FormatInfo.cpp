#include "FormatInfo.h"

#include "DesktopFormats.h"

#include <TranslatorRoster.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

void add_unique(std::vector<std::string>& list, const char* item)
{
	if (item[0] != '\0' && std::find(list.begin(), list.end(), item) == list.end())
		list.push_back(item);
}

// gdk-pixbuf-query-loaders prints the description in the locale's character
// set, and caches are often written under the C locale, where "®" would
// become "?"; the names read as well without their non-ASCII characters.
std::string ascii_only(const std::string& text)
{
	std::string plain;
	for (char c : text) {
		if ((unsigned char)c >= 0x80 || (c == ' ' && !plain.empty() && plain.back() == ' '))
			continue;
		plain += c;
	}
	return plain;
}

// A NULL-terminated copy for gdk-pixbuf, never freed.
gchar** string_array(const std::vector<std::string>& list)
{
	gchar** array = g_new0(gchar*, list.size() + 1);
	for (size_t i = 0; i < list.size(); i++)
		array[i] = g_strdup(list[i].c_str());
	return array;
}

} // namespace

void fill_format_info(const BTranslatorRoster& roster, GdkPixbufFormat* info)
{
	std::vector<std::string> mimeTypes, extensions, names;
	std::vector<const DesktopFormat*> known;

	translator_id* ids = nullptr;
	int32 count = 0;
	if (roster.GetAllTranslators(&ids, &count) != B_OK)
		count = 0;
	for (int32 i = 0; i < count; i++) {
		const translation_format* rows = nullptr;
		int32 rowCount = 0;
		if (roster.GetInputFormats(ids[i], &rows, &rowCount) != B_OK)
			continue;
		for (int32 r = 0; r < rowCount; r++) {
			add_unique(mimeTypes, rows[r].MIME);
			add_unique(names, rows[r].name);
			for (size_t k = 0; k < kDesktopFormatCount; k++) {
				const DesktopFormat& format = kDesktopFormats[k];
				if (strcmp(format.addOnMIME, rows[r].MIME) != 0)
					continue;
				add_unique(mimeTypes, format.systemMIME);
				add_unique(extensions, format.extension);
				if (std::find(known.begin(), known.end(), &format) == known.end())
					known.push_back(&format);
			}
		}
	}
	delete[] ids;

	GdkPixbufModulePattern* signature = g_new0(GdkPixbufModulePattern, known.size() + 1);
	size_t patterns = 0;
	for (const DesktopFormat* format : known) {
		if (format->signature == nullptr)
			continue;
		signature[patterns].prefix = g_strdup(format->signature);
		signature[patterns].mask = g_strdup(format->signatureMask);
		signature[patterns].relevance = 100;
		patterns++;
	}

	std::string description = "Images read by the Translation Kit add-ons";
	for (size_t i = 0; i < names.size(); i++)
		description += (i == 0 ? ": " : ", ") + ascii_only(names[i]);

	info->name = g_strdup("translators");
	info->signature = signature;
	info->description = g_strdup(description.c_str());
	info->mime_types = string_array(mimeTypes);
	info->extensions = string_array(extensions);
	// Safe on any thread: the add-ons translate on several at once.
	info->flags = GDK_PIXBUF_FORMAT_THREADSAFE;
	// The project states no licence yet; an empty one says just that.
	info->license = g_strdup("");
}
