#ifndef _RADIO_BUTTON_H
#define _RADIO_BUTTON_H

#include <Control.h>

// One of a set of choices: the radio buttons that share a parent view. Turning
// one on turns the others off; a click turns it on.
class BRadioButton : public BControl {
public:
	BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
	             uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
	             uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BRadioButton();

	virtual void Draw(BRect updateRect);
	virtual void MouseUp(BPoint where);
	virtual void SetValue(int32 value);
};

#endif
