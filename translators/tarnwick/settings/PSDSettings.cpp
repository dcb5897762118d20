#include "PSDSettings.h"

#include <FindDirectory.h>
#include <Path.h>

#include "TarnwickVersion.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

static const char kSettingsFileName[] = "Tarnwick_Settings";

// Defined together and in this order: the lock is constructed before the
// loader and destroyed after it.
psd_settings g_settings;
BLocker g_settings_lock("PSD settings lock");
PrefsLoader g_prefs_loader(kSettingsFileName, &g_settings);

void set_window_origin(BPoint origin)
{
	g_settings_lock.Lock();
	g_settings.window_pos = origin;
	g_settings.changed = true;
	g_settings_lock.Unlock();
}

BPoint get_window_origin()
{
	g_settings_lock.Lock();
	BPoint origin = g_settings.window_pos;
	g_settings_lock.Unlock();
	return origin;
}

static std::string settings_file_path(const char* fileName)
{
	BPath path;
	if (find_directory(B_USER_SETTINGS_DIRECTORY, &path) != B_OK)
		path.SetTo("/tmp");
	path.Append(fileName);
	return path.Path();
}

static bool apply_window_pos(const char* value, psd_settings* settings)
{
	// Converts straight into the record: a lone first number still moves x.
	return sscanf(value, "%f,%f", &settings->window_pos.x, &settings->window_pos.y) == 2;
}

// A long, so that a number beyond int is seen as the number it is.
static bool scan_integer(const char* value, long* number)
{
	return sscanf(value, "%ld", number) == 1;
}

static bool apply_alpha4(const char* value, psd_settings* settings)
{
	long number;
	if (!scan_integer(value, &number))
		return false;
	settings->alpha4 = number != 0;
	return true;
}

static bool apply_multichannel_read(const char* value, psd_settings* settings)
{
	long number;
	if (!scan_integer(value, &number) || number < PSD_MULTICHANNEL_RGB ||
	    number > PSD_MULTICHANNEL_GRAYSCALE)
		return false;
	settings->multichannelRead = (int8)number;
	return true;
}

struct setting_key {
	const char* name;
	const char* illegalValueMessage;
	bool (*apply)(const char* value, psd_settings* settings);
};

static const setting_key kSettingKeys[] = {
    {"window_pos", "illegal window position in Tarnwick settings: %s", apply_window_pos},
    {"alpha4", "illegal alpha4 value in Tarnwick settings: %s", apply_alpha4},
    {"multichannelRead", "illegal multichannelRead value in Tarnwick settings: %s",
     apply_multichannel_read},
};

static const setting_key* find_setting_key(const char* name)
{
	for (const setting_key& key : kSettingKeys) {
		if (strcmp(key.name, name) == 0)
			return &key;
	}
	return nullptr;
}

static void read_settings_line(const char* line, psd_settings* settings)
{
	const char* text = line;
	while (isspace((unsigned char)*text))
		text++;
	if (*text == '#' || *text == '\0')
		return;

	char name[32];
	if (sscanf(text, "%31[a-zA-Z_0-9] =", name) != 1) {
		fprintf(stderr, "unknown Tarnwick settings line: %s", line);
		return;
	}
	const setting_key* key = find_setting_key(name);
	if (key == nullptr) {
		fprintf(stderr, "unknown Tarnwick setting: %s", line);
		return;
	}

	// A key with no "=" after it has no value: reported with just the line's
	// end, so that the message still ends its line; nothing changes.
	const char* equals = strchr(text + strlen(name), '=');
	if (equals == nullptr) {
		fprintf(stderr, key->illegalValueMessage, text + strcspn(text, "\r\n"));
		return;
	}
	const char* value = equals + 1;
	if (!key->apply(value, settings))
		fprintf(stderr, key->illegalValueMessage, value);
}

static void load_settings_file(const char* fileName, psd_settings* settings)
{
	FILE* file = fopen(settings_file_path(fileName).c_str(), "r");
	if (file == nullptr)
		return;
	// Longer lines arrive in pieces; each piece is read as a line of its own.
	char line[1024];
	for (;;) {
		line[0] = '\0';
		if (fgets(line, sizeof(line), file) == nullptr || line[0] == '\0')
			break;
		read_settings_line(line, settings);
	}
	fclose(file);
}

static bool write_settings(FILE* file, const psd_settings& settings)
{
	return fprintf(file, "# Tarnwick settings version %.2f\n", kTarnwickVersion / 100.0) >= 0 &&
	       fprintf(file, "window_pos = %g,%g\n", (double)settings.window_pos.x,
	               (double)settings.window_pos.y) >= 0 &&
	       fprintf(file, "alpha4 = %d\n", settings.alpha4 ? 1 : 0) >= 0 &&
	       fprintf(file, "multichannelRead = %d\n", (int)(uint8)settings.multichannelRead) >= 0 &&
	       fflush(file) == 0 && fsync(fileno(file)) == 0;
}

// The file a save replaces: where a symbolic link leads, so that the link
// stays, or the settings file itself.
static std::string link_target(const std::string& path)
{
	std::string target = path;
	for (int hops = 0; hops < 40; hops++) {
		char link[PATH_MAX];
		ssize_t length = readlink(target.c_str(), link, sizeof(link) - 1);
		if (length < 0)
			break;
		link[length] = '\0';
		if (link[0] == '/')
			target = link;
		else
			target = target.substr(0, target.find_last_of('/') + 1) + link;
	}
	return target;
}

// A new file beside path, with the mode that writing path in place would
// have given it: 0666 less the umask. -1 when none can be made there.
// (snprintf, not std::to_string: the latter's digit table is a unique symbol,
// which would keep the add-on from ever being unloaded.)
static int create_beside(const std::string& path, std::string* temporary)
{
	static std::atomic<unsigned> sCounter(0);
	for (int attempt = 0; attempt < 100; attempt++) {
		char suffix[32];
		snprintf(suffix, sizeof(suffix), ".%d.%u", (int)getpid(), sCounter++);
		*temporary = path + suffix;
		int fd = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
		if (fd >= 0 || errno != EEXIST)
			return fd;
	}
	return -1;
}

static bool write_settings_to(int fd, const psd_settings& settings)
{
	FILE* file = fdopen(fd, "w");
	if (file == nullptr) {
		close(fd);
		return false;
	}
	bool written = write_settings(file, settings);
	return fclose(file) == 0 && written;
}

// Written to a temporary file beside the settings file and renamed over it, so
// that a crash or a full disk leaves the old file whole; on failure the old
// file stays and the temporary one is removed. The new file keeps the old
// one's mode. Where no file can be made beside it (a read-only folder
// holding a writable file), the file is written in place.
static void save_settings_file(const char* fileName, const psd_settings& settings)
{
	const std::string path = link_target(settings_file_path(fileName));
	std::string temporary;
	int fd = create_beside(path, &temporary);
	if (fd < 0) {
		fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
		if (fd >= 0)
			write_settings_to(fd, settings);
		return;
	}
	struct stat old;
	if (stat(path.c_str(), &old) == 0)
		fchmod(fd, old.st_mode & 07777);
	if (!write_settings_to(fd, settings) || rename(temporary.c_str(), path.c_str()) != 0)
		unlink(temporary.c_str());
}

PrefsLoader::PrefsLoader(const char* fileName, psd_settings* settings) : fSettings(settings)
{
	// B_ORIGIN lives in libbe, whose static objects may not be made yet.
	fSettings->window_pos = BPoint(0, 0);
	fSettings->alpha4 = false;
	fSettings->multichannelRead = PSD_MULTICHANNEL_RGB;
	fSettings->changed = false;
	load_settings_file(fileName, fSettings);
}

PrefsLoader::~PrefsLoader()
{
	if (fSettings->changed)
		save_settings_file(kSettingsFileName, *fSettings);
}
