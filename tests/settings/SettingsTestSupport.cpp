#include "SettingsTestSupport.h"

loaded_settings load_settings(const std::string& content)
{
	TemporaryFolder folder;
	SettingsHome home(folder.Path());
	write_file(folder.File("Tarnwick_Settings"), content);

	loaded_settings result;
	StderrCapture capture;
	{
		PrefsLoader loader("Tarnwick_Settings", &result.settings);
	}
	result.diagnostics = capture.Finish();
	return result;
}
