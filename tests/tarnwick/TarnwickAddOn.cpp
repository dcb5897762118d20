#include "TarnwickAddOn.h"

#include <dlfcn.h>

std::string settings_file(bool alpha4, int multichannelRead)
{
	return std::string("alpha4 = ") + (alpha4 ? "1" : "0") +
	       "\nmultichannelRead = " + std::to_string(multichannelRead) + "\n";
}

TarnwickAddOn::TarnwickAddOn(const char* settingsFile) : fHome(fFolder.Path())
{
	if (settingsFile != nullptr && !write_file(fFolder.File("Tarnwick_Settings"), settingsFile)) {
		fError = "cannot write the settings file";
		return;
	}
	fHandle = dlopen(TARNWICK_ADDON, RTLD_NOW | RTLD_LOCAL);
	if (fHandle == nullptr) {
		fError = dlerror();
		return;
	}
	_Find("Identify", &identify);
	_Find("Translate", &translate);
	_Find("translatorName", &name);
	_Find("translatorInfo", &info);
	_Find("translatorVersion", &version);
	_Find("inputFormats", &inputFormats);
	_Find("outputFormats", &outputFormats);
}

TarnwickAddOn::~TarnwickAddOn()
{
	if (fHandle != nullptr)
		dlclose(fHandle);
}

template <typename T> void TarnwickAddOn::_Find(const char* symbol, T* out)
{
	*out = reinterpret_cast<T>(dlsym(fHandle, symbol));
	if (*out == nullptr)
		fError += std::string("missing export ") + symbol + "; ";
}
