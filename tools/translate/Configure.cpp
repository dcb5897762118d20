#include "Configure.h"

#include <Application.h>
#include <TranslatorRoster.h>
#include <View.h>
#include <ViewWindow.h>

#include <cstdio>
#include <cstring>

namespace {

std::string file_stem(const char* path)
{
	const char* slash = strrchr(path, '/');
	std::string leaf = slash != nullptr ? slash + 1 : path;
	size_t dot = leaf.rfind(".so");
	return dot != std::string::npos && dot + 3 == leaf.size() ? leaf.substr(0, dot) : leaf;
}

bool find_addon(BTranslatorRoster& roster, const std::string& name, translator_id* outId)
{
	if (roster.FindTranslator(name.c_str(), outId) == B_OK)
		return true;
	int32 count = 0;
	translator_id* ids = nullptr;
	if (roster.GetAllTranslators(&ids, &count) != B_OK)
		return false;
	bool found = false;
	for (int32 i = 0; i < count && !found; i++) {
		const char* path;
		if (roster.GetTranslatorPath(ids[i], &path) == B_OK && file_stem(path) == name) {
			*outId = ids[i];
			found = true;
		}
	}
	delete[] ids;
	return found;
}

} // namespace

bool configure_translator(BTranslatorRoster& roster, const std::string& name)
{
	translator_id id;
	if (!find_addon(roster, name, &id)) {
		fprintf(stderr, "translate: no add-on named %s\n", name.c_str());
		return false;
	}
	const char* translatorName = name.c_str();
	roster.GetTranslatorInfo(id, &translatorName, nullptr, nullptr);

	BView* view = nullptr;
	BRect extent;
	status_t status = roster.MakeConfigurationView(id, nullptr, &view, &extent);
	if (status == B_NOT_SUPPORTED) {
		fprintf(stderr, "translate: %s has no settings\n", name.c_str());
		return false;
	}
	if (status != B_OK || view == nullptr) {
		fprintf(stderr, "translate: %s could not make its settings view\n", name.c_str());
		return false;
	}
	BApplication application("application/x-vnd.ostrel-translate");
	status = BPrivate::run_view_window(view, extent, translatorName);
	if (status != B_OK) {
		fprintf(stderr, "translate: cannot show the settings of %s\n", name.c_str());
		return false;
	}
	return true;
}
