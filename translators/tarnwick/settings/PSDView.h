#ifndef PSD_VIEW_H
#define PSD_VIEW_H

#include <View.h>

class BCheckBox;
class BMessage;
class BRadioButton;
class BStringView;

// Message fields that carry a setting to the settings record.
#define PSD_SETTING_ALPHA4 "psd /alpha4"
#define PSD_SETTING_MULTICHANNEL_READ "psd /multichannelRead"

// Tarnwick's configuration view; MakeConfig builds it with its controls.
// Every click on a control goes straight into g_settings.
class PSDView : public BView {
public:
	PSDView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~PSDView();

	virtual void MessageReceived(BMessage* message);
	virtual void AllAttached();
	virtual void Draw(BRect updateRect);

	// Applies "psd /alpha4" if the message has it, else a
	// "psd /multichannelRead" of 1, 2 or 3; other values are refused.
	void SetSettings(BMessage* message);

	BCheckBox* alpha4CheckBox;
	BStringView* rgbLabel;
	BStringView* multichannelLabel;
	BStringView* writeLabel;
	BRadioButton* multichannelRGB;
	BRadioButton* multichannelCMYK;
	BRadioButton* multichannelGrayscale;
};

#endif
