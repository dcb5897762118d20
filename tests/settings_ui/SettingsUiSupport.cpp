#include "SettingsUiSupport.h"

void reset_settings(bool alpha4, int8 multichannelRead, BPoint windowPos)
{
	g_settings_lock.Lock();
	g_settings.window_pos = windowPos;
	g_settings.alpha4 = alpha4;
	g_settings.multichannelRead = multichannelRead;
	g_settings.changed = false;
	g_settings_lock.Unlock();
}

psd_settings copy_settings()
{
	g_settings_lock.Lock();
	psd_settings copy = g_settings;
	g_settings_lock.Unlock();
	return copy;
}
