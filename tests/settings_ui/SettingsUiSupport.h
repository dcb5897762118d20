#ifndef SETTINGS_UI_SUPPORT_H
#define SETTINGS_UI_SUPPORT_H

#include <settings/PSDSettings.h>

// Puts the settings record back to the given values with changed off.
void reset_settings(bool alpha4 = false, int8 multichannelRead = PSD_MULTICHANNEL_RGB,
                    BPoint windowPos = B_ORIGIN);

psd_settings copy_settings();

#endif
