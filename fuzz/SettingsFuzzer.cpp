// The settings file reader on any bytes as the file, then a save and a load
// of what was read: the loaded record holds only values the reader accepts,
// the saved file is exactly the four lines of that record, and reading it
// back gives the record again (the window position as "%g" prints it).
//
// Bad lines print diagnostics on stderr; run the fuzzer with
// -close_fd_mask=2 to keep its output readable.

#include "FuzzSupport.h"

#include <settings/PSDSettings.h>
#include <settings/TarnwickVersion.h>

#include <cmath>
#include <string>
#include <unistd.h>

namespace {

const char kFileName[] = "Tarnwick_Settings";

std::string gFolder;

std::string settingsPath()
{
	return gFolder + "/" + kFileName;
}

void removeFolder()
{
	unlink(settingsPath().c_str());
	rmdir(gFolder.c_str());
}

bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
	FILE* file = fopen(path.c_str(), "wb");
	if (file == nullptr)
		return false;
	bool ok = fwrite(data, 1, size, file) == size;
	return fclose(file) == 0 && ok;
}

std::string readFile(const std::string& path)
{
	std::string text;
	FILE* file = fopen(path.c_str(), "rb");
	FUZZ_CHECK(file != nullptr);
	char chunk[4096];
	size_t count;
	while ((count = fread(chunk, 1, sizeof(chunk), file)) > 0)
		text.append(chunk, count);
	fclose(file);
	return text;
}

// The one byte of a bool field, whatever it holds.
uint8_t rawByte(const bool& field)
{
	uint8_t byte;
	memcpy(&byte, &field, 1);
	return byte;
}

void checkAccepted(const psd_settings& record)
{
	FUZZ_CHECK(rawByte(record.alpha4) <= 1);
	FUZZ_CHECK(rawByte(record.changed) == 0);
	FUZZ_CHECK(record.multichannelRead >= 1 && record.multichannelRead <= 3);
}

// What a coordinate becomes after being written with %g and read back.
float printedValue(float value)
{
	char text[64];
	snprintf(text, sizeof(text), "%g", (double)value);
	return strtof(text, nullptr);
}

bool sameFloat(float a, float b)
{
	return (std::isnan(a) && std::isnan(b)) || a == b;
}

std::string savedText(const psd_settings& record)
{
	char text[256];
	snprintf(text, sizeof(text),
	         "# Tarnwick settings version %.2f\nwindow_pos = %g,%g\nalpha4 = %d\n"
	         "multichannelRead = %d\n",
	         kTarnwickVersion / 100.0, (double)record.window_pos.x, (double)record.window_pos.y,
	         record.alpha4 ? 1 : 0, record.multichannelRead);
	return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
	std::string pattern = std::string(base) + "/tarnwick-settings-fuzz-XXXXXX";
	FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr);
	gFolder = pattern;
	setenv("XDG_CONFIG_HOME", gFolder.c_str(), 1);
	atexit(removeFolder);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	FUZZ_CHECK(writeFile(settingsPath(), data, size));

	psd_settings loaded;
	memset((void*)&loaded, 0xA5, sizeof(loaded)); // the loader must set every field
	{
		PrefsLoader loader(kFileName, &loaded);
		checkAccepted(loaded);
		// Unchanged: the destructor must leave the file alone.
	}
	FUZZ_CHECK(readFile(settingsPath()) == std::string((const char*)data, size));

	psd_settings saved = loaded;
	{
		PrefsLoader loader(kFileName, &saved);
		saved = loaded;
		saved.changed = true;
	}
	FUZZ_CHECK(readFile(settingsPath()) == savedText(loaded));

	psd_settings reloaded;
	PrefsLoader loader(kFileName, &reloaded);
	checkAccepted(reloaded);
	FUZZ_CHECK(reloaded.alpha4 == loaded.alpha4);
	FUZZ_CHECK(reloaded.multichannelRead == loaded.multichannelRead);
	FUZZ_CHECK(sameFloat(reloaded.window_pos.x, printedValue(loaded.window_pos.x)));
	FUZZ_CHECK(sameFloat(reloaded.window_pos.y, printedValue(loaded.window_pos.y)));
	return 0;
}
