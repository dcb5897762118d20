#ifndef TARNWICK_ADD_ON_H
#define TARNWICK_ADD_ON_H

#include <TranslatorAddOn.h>

#include "TestFiles.h"

#include <string>

// "alpha4 = X" and "multichannelRead = Y" lines of a settings file.
std::string settings_file(bool alpha4, int multichannelRead);

// Tarnwick.so loaded with dlopen, as the Kit loads it, over a settings folder
// of its own. The settings file, when given, is written before the load, so
// the add-on's static initialiser reads it; the unload runs its finaliser.
class TarnwickAddOn {
public:
	explicit TarnwickAddOn(const char* settingsFile = nullptr);
	~TarnwickAddOn();

	// Empty when every export was found.
	const std::string& Error() const { return fError; }

	decltype(&::Identify) identify = nullptr;
	decltype(&::Translate) translate = nullptr;
	const char* name = nullptr;
	const char* info = nullptr;
	const int32* version = nullptr;
	const translation_format* inputFormats = nullptr;
	const translation_format* outputFormats = nullptr;

private:
	template <typename T> void _Find(const char* symbol, T* out);

	TemporaryFolder fFolder;
	SettingsHome fHome;
	void* fHandle = nullptr;
	std::string fError;
};

#endif
