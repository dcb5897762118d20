#include <TranslatorRoster.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

namespace {

typedef status_t (*identify_func)(BPositionIO*, const translation_format*, BMessage*,
                                  translator_info*, uint32);
typedef status_t (*translate_func)(BPositionIO*, const translator_info*, BMessage*, uint32,
                                   BPositionIO*);
typedef status_t (*make_config_func)(BMessage*, BView**, BRect*);
typedef status_t (*get_config_message_func)(BMessage*);

const translation_format kNoFormats[1] = {};

int32 count_formats(const translation_format* formats)
{
	int32 count = 0;
	while (formats[count].type != 0)
		count++;
	return count;
}

void warn_skipped(const char* path, const std::string& reason)
{
	fprintf(stderr, "warning: skipping add-on %s: %s\n", path, reason.c_str());
}

// dlerror() usually starts with the path, which the warning already names.
std::string load_error(const char* path)
{
	const char* error = dlerror();
	std::string text = error != nullptr ? error : "it could not be loaded";
	std::string prefix = std::string(path) + ": ";
	if (text.compare(0, prefix.size(), prefix) == 0)
		text.erase(0, prefix.size());
	return text;
}

std::vector<std::string> addon_files(DIR* dir, const char* directory)
{
	std::vector<std::string> names;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] == '.')
			continue;
		std::string path = std::string(directory) + "/" + entry->d_name;
		struct stat st;
		if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
			names.push_back(entry->d_name);
	}
	std::sort(names.begin(), names.end());
	return names;
}

} // namespace

struct BTranslatorRoster::AddOn {
	void* handle;
	std::string path;
	const char* name;
	const char* info;
	int32 version;
	const translation_format* inputFormats;
	const translation_format* outputFormats;
	identify_func identify;
	translate_func translate;
	make_config_func makeConfig;
	get_config_message_func getConfigMessage;
};

BTranslatorRoster::BTranslatorRoster() {}

BTranslatorRoster::~BTranslatorRoster()
{
	for (auto it = fAddOns.rbegin(); it != fAddOns.rend(); ++it) {
		dlclose((*it)->handle);
		delete *it;
	}
}

status_t BTranslatorRoster::AddTranslators(const char* directory)
{
	if (directory == nullptr)
		return B_BAD_VALUE;
	DIR* dir = opendir(directory);
	if (dir == nullptr)
		return errno == ENOENT ? B_ENTRY_NOT_FOUND : B_FILE_ERROR;
	std::vector<std::string> names = addon_files(dir, directory);
	closedir(dir);
	for (const std::string& name : names)
		_Load((std::string(directory) + "/" + name).c_str());
	return B_OK;
}

status_t BTranslatorRoster::_Load(const char* path)
{
	void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
	if (handle == nullptr) {
		warn_skipped(path, load_error(path));
		return B_ERROR;
	}

	static const char* const kRequired[] = {"translatorName", "translatorVersion", "inputFormats",
	                                        "Identify", "Translate"};
	for (const char* symbol : kRequired) {
		if (dlsym(handle, symbol) == nullptr) {
			warn_skipped(path, std::string("it does not export ") + symbol);
			dlclose(handle);
			return B_ERROR;
		}
	}

	AddOn addOn;
	addOn.handle = handle;
	addOn.path = path;
	addOn.name = (const char*)dlsym(handle, "translatorName");
	addOn.info = (const char*)dlsym(handle, "translatorInfo");
	if (addOn.info == nullptr)
		addOn.info = "";
	addOn.version = *(const int32*)dlsym(handle, "translatorVersion");
	addOn.inputFormats = (const translation_format*)dlsym(handle, "inputFormats");
	addOn.outputFormats = (const translation_format*)dlsym(handle, "outputFormats");
	if (addOn.outputFormats == nullptr)
		addOn.outputFormats = kNoFormats;
	addOn.identify = (identify_func)dlsym(handle, "Identify");
	addOn.translate = (translate_func)dlsym(handle, "Translate");
	addOn.makeConfig = (make_config_func)dlsym(handle, "MakeConfig");
	addOn.getConfigMessage = (get_config_message_func)dlsym(handle, "GetConfigMessage");

	translator_id existing;
	if (FindTranslator(addOn.name, &existing) == B_OK) {
		warn_skipped(path, std::string("an add-on named ") + addOn.name + " is already loaded");
		dlclose(handle);
		return B_ERROR;
	}
	fAddOns.push_back(new AddOn(addOn));
	return B_OK;
}

const BTranslatorRoster::AddOn* BTranslatorRoster::_Find(translator_id id) const
{
	if (id == 0 || id > fAddOns.size())
		return nullptr;
	return fAddOns[id - 1];
}

status_t BTranslatorRoster::Identify(BPositionIO* source, BMessage* ioExtension,
                                     translator_info* outInfo, uint32 hintType,
                                     const char* hintMIME, uint32 wantType)
{
	if (source == nullptr || outInfo == nullptr)
		return B_BAD_VALUE;

	translation_format hint = {};
	const translation_format* hintFormat = nullptr;
	if (hintType != 0 || hintMIME != nullptr) {
		hint.type = hintType;
		if (hintMIME != nullptr)
			strncpy(hint.MIME, hintMIME, sizeof(hint.MIME) - 1);
		hintFormat = &hint;
	}

	translator_info best = {};
	float bestScore = -1;
	for (size_t i = 0; i < fAddOns.size(); i++) {
		translator_info info = {};
		source->Seek(0, SEEK_SET);
		if (fAddOns[i]->identify(source, hintFormat, ioExtension, &info, wantType) != B_OK)
			continue;
		float score = info.quality * info.capability;
		if (score > bestScore) {
			bestScore = score;
			best = info;
			best.translator = (translator_id)(i + 1);
		}
	}
	source->Seek(0, SEEK_SET);
	if (best.translator == 0)
		return B_NO_TRANSLATOR;
	*outInfo = best;
	return B_OK;
}

status_t BTranslatorRoster::Translate(BPositionIO* source, const translator_info* info,
                                      BMessage* ioExtension, BPositionIO* destination,
                                      uint32 wantOutType, uint32 hintType, const char* hintMIME)
{
	if (source == nullptr || destination == nullptr)
		return B_BAD_VALUE;
	translator_info identified;
	if (info == nullptr) {
		status_t status =
		    Identify(source, ioExtension, &identified, hintType, hintMIME, wantOutType);
		if (status != B_OK)
			return status;
		info = &identified;
	}
	const AddOn* addOn = _Find(info->translator);
	if (addOn == nullptr)
		return B_NO_TRANSLATOR;
	source->Seek(0, SEEK_SET);
	return addOn->translate(source, info, ioExtension, wantOutType, destination);
}

status_t BTranslatorRoster::GetAllTranslators(translator_id** outList, int32* outCount) const
{
	if (outList == nullptr || outCount == nullptr)
		return B_BAD_VALUE;
	*outList = new (std::nothrow) translator_id[fAddOns.size() + 1];
	if (*outList == nullptr)
		return B_NO_MEMORY;
	for (size_t i = 0; i < fAddOns.size(); i++)
		(*outList)[i] = (translator_id)(i + 1);
	*outCount = (int32)fAddOns.size();
	return B_OK;
}

status_t BTranslatorRoster::FindTranslator(const char* name, translator_id* outId) const
{
	if (name == nullptr || outId == nullptr)
		return B_BAD_VALUE;
	for (size_t i = 0; i < fAddOns.size(); i++) {
		if (strcmp(fAddOns[i]->name, name) == 0) {
			*outId = (translator_id)(i + 1);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t BTranslatorRoster::GetTranslatorInfo(translator_id id, const char** outName,
                                              const char** outInfo, int32* outVersion) const
{
	const AddOn* addOn = _Find(id);
	if (addOn == nullptr)
		return B_NO_TRANSLATOR;
	if (outName != nullptr)
		*outName = addOn->name;
	if (outInfo != nullptr)
		*outInfo = addOn->info;
	if (outVersion != nullptr)
		*outVersion = addOn->version;
	return B_OK;
}

status_t BTranslatorRoster::GetTranslatorPath(translator_id id, const char** outPath) const
{
	const AddOn* addOn = _Find(id);
	if (addOn == nullptr)
		return B_NO_TRANSLATOR;
	if (outPath == nullptr)
		return B_BAD_VALUE;
	*outPath = addOn->path.c_str();
	return B_OK;
}

status_t BTranslatorRoster::_GetFormats(translator_id id, bool input,
                                        const translation_format** outFormats,
                                        int32* outCount) const
{
	const AddOn* addOn = _Find(id);
	if (addOn == nullptr)
		return B_NO_TRANSLATOR;
	if (outFormats == nullptr || outCount == nullptr)
		return B_BAD_VALUE;
	*outFormats = input ? addOn->inputFormats : addOn->outputFormats;
	*outCount = count_formats(*outFormats);
	return B_OK;
}

status_t BTranslatorRoster::GetInputFormats(translator_id id, const translation_format** outFormats,
                                            int32* outCount) const
{
	return _GetFormats(id, true, outFormats, outCount);
}

status_t BTranslatorRoster::GetOutputFormats(translator_id id,
                                             const translation_format** outFormats,
                                             int32* outCount) const
{
	return _GetFormats(id, false, outFormats, outCount);
}

status_t BTranslatorRoster::MakeConfigurationView(translator_id id, BMessage* ioExtension,
                                                  BView** outView, BRect* outExtent)
{
	const AddOn* addOn = _Find(id);
	if (addOn == nullptr)
		return B_NO_TRANSLATOR;
	if (addOn->makeConfig == nullptr)
		return B_NOT_SUPPORTED;
	return addOn->makeConfig(ioExtension, outView, outExtent);
}

status_t BTranslatorRoster::GetConfigurationMessage(translator_id id, BMessage* ioExtension)
{
	const AddOn* addOn = _Find(id);
	if (addOn == nullptr)
		return B_NO_TRANSLATOR;
	if (addOn->getConfigMessage == nullptr)
		return B_NOT_SUPPORTED;
	return addOn->getConfigMessage(ioExtension);
}
