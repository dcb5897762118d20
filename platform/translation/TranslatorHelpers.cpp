#include <TranslatorHelpers.h>

#include <Errors.h>

#include <cstring>

namespace BPrivate {

void fill_translator_info(const translation_format& format, translator_info* info)
{
	// The two records order their fields differently.
	info->type = format.type;
	info->group = format.group;
	info->quality = format.quality;
	info->capability = format.capability;
	strcpy(info->name, format.name);
	strcpy(info->MIME, format.MIME);
}

std::string translator_name(const BTranslatorRoster& roster, translator_id id)
{
	const char* name = nullptr;
	if (roster.GetTranslatorInfo(id, &name, nullptr, nullptr) != B_OK || name == nullptr)
		return "?";
	return name;
}

std::vector<std::string> translator_names(const BTranslatorRoster& roster)
{
	std::vector<std::string> names;
	translator_id* ids = nullptr;
	int32 count = 0;
	if (roster.GetAllTranslators(&ids, &count) != B_OK)
		return names;
	for (int32 i = 0; i < count; i++)
		names.push_back(translator_name(roster, ids[i]));
	delete[] ids;
	return names;
}

std::string joined(const std::vector<std::string>& items)
{
	std::string text;
	for (const std::string& item : items)
		text += (text.empty() ? "" : ", ") + item;
	return text;
}

std::string translate_status_text(status_t status, const char* input)
{
	switch (status) {
	case B_NO_TRANSLATOR:
		return std::string("recognised the ") + input + " but could not convert it";
	case B_NO_MEMORY:
		return "ran out of memory";
	default:
		return std::string();
	}
}

} // namespace BPrivate
