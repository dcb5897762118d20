#ifndef PSD_SETTINGS_H
#define PSD_SETTINGS_H

#include <Locker.h>
#include <Point.h>
#include <SupportDefs.h>

enum {
	PSD_MULTICHANNEL_RGB = 1,
	PSD_MULTICHANNEL_CMYK = 2,
	PSD_MULTICHANNEL_GRAYSCALE = 3,
};

struct psd_settings {
	BPoint window_pos;
	bool alpha4;
	int8 multichannelRead;
	bool changed;
};

// Loads the record at construction, saves it at destruction when changed.
class PrefsLoader {
public:
	PrefsLoader(const char* fileName, psd_settings* settings);
	~PrefsLoader();

private:
	psd_settings* fSettings;
};

extern psd_settings g_settings;
extern BLocker g_settings_lock;
extern PrefsLoader g_prefs_loader;

void set_window_origin(BPoint origin);
BPoint get_window_origin();

#endif
