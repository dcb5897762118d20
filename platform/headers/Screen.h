#ifndef _SCREEN_H
#define _SCREEN_H

#include <GraphicsDefs.h>
#include <Rect.h>

struct screen_id {
	int32 id;
};

extern const screen_id B_MAIN_SCREEN_ID;

// The main screen. Without a display it is a virtual screen of
// B_VIRTUAL_SCREEN_WIDTH x B_VIRTUAL_SCREEN_HEIGHT pixels; the colour map is
// the same either way, so colour-mapped bitmaps mean the same on every host.
class BScreen {
public:
	BScreen(screen_id id = B_MAIN_SCREEN_ID);
	~BScreen();

	bool IsValid();
	color_space ColorSpace();
	BRect Frame();

	const color_map* ColorMap();
	uint8 IndexForColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	uint8 IndexForColor(rgb_color color);
	rgb_color ColorForIndex(uint8 index);

private:
	bool fValid;
};

namespace BPrivate {

// A real display plugs itself in here; the virtual screen answers otherwise.
class ScreenDisplay {
public:
	virtual ~ScreenDisplay() {}
	virtual BRect MainScreenFrame() = 0;
};

void set_screen_display(ScreenDisplay* display);

enum {
	B_VIRTUAL_SCREEN_WIDTH = 1024,
	B_VIRTUAL_SCREEN_HEIGHT = 768,
};

} // namespace BPrivate

#endif
