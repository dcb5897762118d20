#ifndef _APP_DEFS_H
#define _APP_DEFS_H

#include <SupportDefs.h>

// Message codes, four characters each, first character in the top byte.
enum {
	B_QUIT_REQUESTED = 0x5f515251, // '_QRQ'
	B_MOUSE_DOWN = 0x5f4d444e,     // '_MDN'
	B_MOUSE_UP = 0x5f4d5550,       // '_MUP'
	B_MOUSE_MOVED = 0x5f4d4d56,    // '_MMV'
	B_WINDOW_MOVED = 0x5f574d56,   // '_WMV'
	B_NO_REPLY = 0x5f4e5250,       // '_NRP'
	B_REPLY = 0x5f525059,          // '_RPY'
};

#endif
