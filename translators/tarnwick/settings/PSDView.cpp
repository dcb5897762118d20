#include "PSDView.h"

#include "PSDSettings.h"

#include <Box.h>
#include <CheckBox.h>
#include <Message.h>
#include <Messenger.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include "TarnwickVersion.h"

#include <cstdio>

namespace {

const char* kCredit = "by Ostrel";

enum {
	MSG_ALPHA4 = 0,
	MSG_MULTICHANNEL_RGB = PSD_MULTICHANNEL_RGB,
	MSG_MULTICHANNEL_CMYK = PSD_MULTICHANNEL_CMYK,
	MSG_MULTICHANNEL_GRAYSCALE = PSD_MULTICHANNEL_GRAYSCALE,
};

const uint32 kChildMode = B_FOLLOW_LEFT | B_FOLLOW_TOP;
const uint32 kControlFlags = B_WILL_DRAW | B_NAVIGABLE;
const uint32 kGroupFlags = B_WILL_DRAW | B_FRAME_EVENTS;

// Lock, assign, mark changed: the one way a message reaches the record. A
// multichannel value that Translate has no reading for is not stored.
void apply_settings(const BMessage* message)
{
	bool alpha4;
	int8 multichannelRead;
	g_settings_lock.Lock();
	if (message->FindBool(PSD_SETTING_ALPHA4, &alpha4) == B_OK) {
		g_settings.alpha4 = alpha4;
		g_settings.changed = true;
	} else if (message->FindInt8(PSD_SETTING_MULTICHANNEL_READ, &multichannelRead) == B_OK &&
	           multichannelRead >= PSD_MULTICHANNEL_RGB &&
	           multichannelRead <= PSD_MULTICHANNEL_GRAYSCALE) {
		g_settings.multichannelRead = multichannelRead;
		g_settings.changed = true;
	}
	g_settings_lock.Unlock();
}

bool read_alpha4()
{
	g_settings_lock.Lock();
	bool alpha4 = g_settings.alpha4;
	g_settings_lock.Unlock();
	return alpha4;
}

int8 read_multichannel()
{
	g_settings_lock.Lock();
	int8 multichannelRead = g_settings.multichannelRead;
	g_settings_lock.Unlock();
	return multichannelRead;
}

BRect group_frame(BRect viewFrame, float dx, float dy, float height)
{
	BRect frame = viewFrame.OffsetByCopy(dx, dy);
	frame.right = frame.left + 220;
	frame.bottom = frame.top + height;
	return frame;
}

} // namespace

PSDView::PSDView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), alpha4CheckBox(nullptr), rgbLabel(nullptr),
      multichannelLabel(nullptr), writeLabel(nullptr), multichannelRGB(nullptr),
      multichannelCMYK(nullptr), multichannelGrayscale(nullptr)
{
}

PSDView::~PSDView() {}

void PSDView::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case MSG_ALPHA4: {
		BMessage settings;
		settings.AddBool(PSD_SETTING_ALPHA4, alpha4CheckBox->Value() != 0);
		SetSettings(&settings);
		break;
	}
	case MSG_MULTICHANNEL_RGB:
	case MSG_MULTICHANNEL_CMYK:
	case MSG_MULTICHANNEL_GRAYSCALE: {
		BMessage settings;
		settings.AddInt8(PSD_SETTING_MULTICHANNEL_READ, (int8)message->what);
		SetSettings(&settings);
		break;
	}
	default:
		BView::MessageReceived(message);
	}
}

void PSDView::AllAttached()
{
	BView::AllAttached();
	BMessenger messenger(this);
	for (BControl* control : {(BControl*)alpha4CheckBox, (BControl*)multichannelRGB,
	                          (BControl*)multichannelCMYK, (BControl*)multichannelGrayscale}) {
		if (control != nullptr)
			control->SetTarget(messenger);
	}
}

void PSDView::Draw(BRect)
{
	SetFont(be_bold_font, B_FONT_ALL);
	font_height height;
	GetFontHeight(&height);
	float a = height.ascent, d = height.descent, l = height.leading;
	char title[32];
	snprintf(title, sizeof(title), "Tarnwick %.2f", kTarnwickVersion / 100.0);
	DrawString(title, BPoint(d + 1, a + 2 * d + l));
	SetFont(be_plain_font, B_FONT_ALL);
	DrawString(kCredit, BPoint(d + 131, 2 * a + 3 * d + 2 * l));
}

void PSDView::SetSettings(BMessage* message)
{
	if (message != nullptr)
		apply_settings(message);
}

status_t MakeConfig(BMessage* ioExtension, BView** outView, BRect* outExtent)
{
	PSDView* view =
	    new PSDView(BRect(0, 0, 240, 220), "Tarnwick Settings", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	view->SetViewColor(220, 220, 220, 0);

	BMessage* alphaMessage = new BMessage(MSG_ALPHA4);
	BMessage* rgbMessage = new BMessage(MSG_MULTICHANNEL_RGB);
	BMessage* cmykMessage = new BMessage(MSG_MULTICHANNEL_CMYK);
	BMessage* grayscaleMessage = new BMessage(MSG_MULTICHANNEL_GRAYSCALE);

	view->alpha4CheckBox =
	    new BCheckBox(BRect(15, 30, 160, 50), "Channel 4 as Alpha", "Channel 4 as Alpha",
	                  alphaMessage, kChildMode, kControlFlags);
	if (read_alpha4())
		view->alpha4CheckBox->SetValue(B_CONTROL_ON);
	view->alpha4CheckBox->SetViewColor(view->ViewColor());

	BBox* readGroup = new BBox(group_frame(view->Frame(), 10, 35, 90), "Read", kChildMode,
	                           kGroupFlags, B_FANCY_BORDER);
	readGroup->SetLabel("Read");
	view->AddChild(readGroup);
	readGroup->AddChild(view->alpha4CheckBox);

	view->rgbLabel =
	    new BStringView(BRect(10, 14, 80, 28), "RGB Label", nullptr, kChildMode, B_WILL_DRAW);
	view->rgbLabel->SetText("RGB:");
	readGroup->AddChild(view->rgbLabel);

	view->multichannelLabel = new BStringView(BRect(10, 50, 80, 64), "Multichannel Label", nullptr,
	                                          kChildMode, B_WILL_DRAW);
	view->multichannelLabel->SetText("Multichannel:");
	readGroup->AddChild(view->multichannelLabel);

	view->multichannelRGB = new BRadioButton(BRect(15, 66, 60, 86), "Multichannel RGB", "RGB",
	                                         rgbMessage, kChildMode, kControlFlags);
	readGroup->AddChild(view->multichannelRGB);
	view->multichannelCMYK = new BRadioButton(BRect(75, 66, 130, 86), "Multichannel CMYK", "CMYK",
	                                          cmykMessage, kChildMode, kControlFlags);
	readGroup->AddChild(view->multichannelCMYK);
	view->multichannelGrayscale =
	    new BRadioButton(BRect(140, 66, 215, 86), "Multichannel Grayscale", "Grayscale",
	                     grayscaleMessage, kChildMode, kControlFlags);
	readGroup->AddChild(view->multichannelGrayscale);

	switch (read_multichannel()) {
	case PSD_MULTICHANNEL_CMYK:
		view->multichannelCMYK->SetValue(B_CONTROL_ON);
		break;
	case PSD_MULTICHANNEL_GRAYSCALE:
		view->multichannelGrayscale->SetValue(B_CONTROL_ON);
		break;
	default:
		view->multichannelRGB->SetValue(B_CONTROL_ON);
	}

	BBox* writeGroup = new BBox(group_frame(view->Frame(), 10, 140, 60), "Write", kChildMode,
	                            kGroupFlags, B_FANCY_BORDER);
	writeGroup->SetLabel("Write");
	view->AddChild(writeGroup);

	view->writeLabel = new BStringView(BRect(10, 14, 200, 28), "Multichannel Label",
	                                   "Multichannel:", kChildMode, B_WILL_DRAW);
	view->writeLabel->SetText("<Not Yet Implemented>");
	writeGroup->AddChild(view->writeLabel);

	*outView = view;
	*outExtent = view->Bounds();

	if (ioExtension != nullptr)
		apply_settings(ioExtension);
	return B_OK;
}

status_t GetConfigMessage(BMessage* ioExtension)
{
	g_settings_lock.Lock();
	if (ioExtension != nullptr)
		ioExtension->RemoveName(B_TRANSLATOR_EXT_BITMAP_COLOR_SPACE);
	g_settings_lock.Unlock();
	return B_OK;
}
