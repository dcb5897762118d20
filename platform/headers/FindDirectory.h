#ifndef _FIND_DIRECTORY_H
#define _FIND_DIRECTORY_H

#include <SupportDefs.h>

class BPath;
class BVolume;

typedef enum {
	B_USER_DIRECTORY = 3000,
	B_USER_CONFIG_DIRECTORY = 3001,
	B_USER_SETTINGS_DIRECTORY = 3006,
} directory_which;

// B_USER_SETTINGS_DIRECTORY is $XDG_CONFIG_HOME when set and absolute, else
// $HOME/.config; B_ENTRY_NOT_FOUND when neither is known.
status_t find_directory(directory_which which, BPath* path, bool createIt = false,
                        BVolume* volume = nullptr);
status_t find_directory(directory_which which, dev_t volume, bool createIt, char* returnedPath,
                        int32 pathLength);

#endif
