#ifndef _CHECK_BOX_H
#define _CHECK_BOX_H

#include <Control.h>

// A box ticked on and off by a click.
class BCheckBox : public BControl {
public:
	BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	          uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
	          uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BCheckBox();

	virtual void Draw(BRect updateRect);
	virtual void MouseUp(BPoint where);
};

#endif
