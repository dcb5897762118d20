#ifndef SETTINGS_TEST_SUPPORT_H
#define SETTINGS_TEST_SUPPORT_H

#include <settings/PSDSettings.h>

#include "TestFiles.h"

struct loaded_settings {
	psd_settings settings;
	std::string diagnostics;
};

// Writes content as Tarnwick_Settings in a fresh settings folder and runs a
// PrefsLoader on a local record over it, capturing what it prints.
loaded_settings load_settings(const std::string& content);

#endif
