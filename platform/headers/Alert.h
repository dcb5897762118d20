#ifndef _ALERT_H
#define _ALERT_H

#include <InterfaceDefs.h>
#include <Window.h>

#include <memory>
#include <string>
#include <vector>

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT,
};

namespace BPrivate {
struct AlertResult;
class AlertButton;
} // namespace BPrivate

// A small window with a message and up to three buttons.
class BAlert : public BWindow {
public:
	BAlert(const char* title, const char* text, const char* button1, const char* button2 = nullptr,
	       const char* button3 = nullptr, button_width width = B_WIDTH_AS_USUAL,
	       alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	// Shows the alert and waits until a button is pressed; returns its index
	// (-1 when the window was closed instead) and the alert is gone. Without
	// a display the text goes to standard error and the first button counts.
	int32 Go();

private:
	friend class BPrivate::AlertButton;

	void _ButtonPressed(int32 index);

	std::string fText;
	std::shared_ptr<BPrivate::AlertResult> fResult;
};

#endif
