// The configuration view in a window without a display: clicks, drawing and
// the settings program's window.

#include "SettingsUiSupport.h"
#include "WindowTestSupport.h"
#include <settings/PSDView.h>
#include <settings/PSDWindow.h>

#include <AppDefs.h>
#include <Application.h>
#include <CheckBox.h>
#include <InterfacePrivate.h>
#include <Message.h>
#include <Messenger.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TranslatorAddOn.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* kSignature = "application/x-vnd.ostrel-tarnwick";

class OtherMessages : public BWindow {
public:
	OtherMessages()
	    : BWindow(BRect(50, 60, 290, 280), "Tarnwick", B_TITLED_WINDOW,
	              B_NOT_RESIZABLE | B_NOT_ZOOMABLE)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kSyncCode)
			received.push_back(*message);
	}
	std::vector<BMessage> received;
};

// The view in a shown window, as a host or the settings program has it.
class ShownViewTest : public testing::Test {
protected:
	void SetUp() override
	{
		reset_settings();
		app = new BApplication(kSignature);
		window = new OtherMessages;
		BView* made;
		BRect extent;
		ASSERT_EQ(MakeConfig(nullptr, &made, &extent), B_OK);
		view = static_cast<PSDView*>(made);
		window->AddChild(view);
		window->Show();
		sync_window(window);
	}

	void TearDown() override
	{
		window->Lock();
		window->Quit();
		delete app;
	}

	BApplication* app = nullptr;
	OtherMessages* window = nullptr;
	PSDView* view = nullptr;
};

TEST_F(ShownViewTest, ControlsTargetTheView)
{
	window->Lock();
	for (BControl* control :
	     {(BControl*)view->alpha4CheckBox, (BControl*)view->multichannelRGB,
	      (BControl*)view->multichannelCMYK, (BControl*)view->multichannelGrayscale}) {
		BLooper* looper = nullptr;
		EXPECT_EQ(control->Target(&looper), view) << control->Name();
		EXPECT_EQ(looper, window);
	}
	window->Unlock();
}

TEST_F(ShownViewTest, ClickingGrayscaleStoresThreeAndTurnsRgbOff)
{
	click_view_center(view->multichannelGrayscale);
	psd_settings settings = copy_settings();
	EXPECT_EQ(settings.multichannelRead, 3);
	EXPECT_TRUE(settings.changed);
	EXPECT_FALSE(settings.alpha4);
	window->Lock();
	EXPECT_EQ(view->multichannelRGB->Value(), B_CONTROL_OFF);
	EXPECT_EQ(view->multichannelCMYK->Value(), B_CONTROL_OFF);
	EXPECT_EQ(view->multichannelGrayscale->Value(), B_CONTROL_ON);
	window->Unlock();

	click_view_center(view->multichannelCMYK);
	EXPECT_EQ(copy_settings().multichannelRead, 2);
	click_view_center(view->multichannelRGB);
	EXPECT_EQ(copy_settings().multichannelRead, 1);
	window->Lock();
	EXPECT_EQ(view->multichannelCMYK->Value(), B_CONTROL_OFF);
	window->Unlock();
}

TEST_F(ShownViewTest, ClickingTheCheckBoxTogglesAlpha4)
{
	click_view_center(view->alpha4CheckBox);
	psd_settings settings = copy_settings();
	EXPECT_TRUE(settings.alpha4);
	EXPECT_TRUE(settings.changed);
	EXPECT_EQ(settings.multichannelRead, 1);

	click_view_center(view->alpha4CheckBox);
	EXPECT_FALSE(copy_settings().alpha4);
}

TEST_F(ShownViewTest, ClickingBesideTheControlsChangesNothing)
{
	click_view(view, BPoint(5, 5));
	click_view(view->multichannelLabel, BPoint(5, 5));
	EXPECT_FALSE(copy_settings().changed);
}

TEST_F(ShownViewTest, OtherMessagesGoOnUnchanged)
{
	BMessage other(42);
	other.AddInt8("psd /multichannelRead", 3);
	BMessenger(view).SendMessage(&other);
	sync_window(window);
	window->Lock();
	ASSERT_EQ(window->received.size(), 1u);
	EXPECT_EQ(window->received[0].what, 42u);
	int8 value = 0;
	EXPECT_EQ(window->received[0].FindInt8("psd /multichannelRead", &value), B_OK);
	EXPECT_EQ(value, 3);
	window->Unlock();
	EXPECT_FALSE(copy_settings().changed);
}

TEST_F(ShownViewTest, EveryLabelIsDrawn)
{
	for (BView* label :
	     {(BView*)view->rgbLabel, (BView*)view->multichannelLabel, (BView*)view->writeLabel,
	      (BView*)view->alpha4CheckBox, (BView*)view->multichannelRGB,
	      (BView*)view->multichannelCMYK, (BView*)view->multichannelGrayscale}) {
		EXPECT_GT(count_ink(window, label), 25) << label->Name();
	}
}

struct DrawnString {
	const BView* view;
	std::string text;
	BPoint baseline;
	BFont font;
};

std::vector<DrawnString> gDrawn;

void record_string(const BView* view, const char* string, BPoint baseline, const BFont& font)
{
	gDrawn.push_back(DrawnString{view, string, baseline, font});
}

TEST_F(ShownViewTest, TitleAndCreditSitOnTheirBaselines)
{
	gDrawn.clear();
	BPrivate::set_draw_string_hook(record_string);
	window->Lock();
	view->Invalidate();
	window->Unlock();
	sync_window(window);
	BPrivate::set_draw_string_hook(nullptr);

	std::vector<DrawnString> own;
	for (const DrawnString& drawn : gDrawn) {
		if (drawn.view == view)
			own.push_back(drawn);
	}
	ASSERT_EQ(own.size(), 2u);
	font_height bold;
	be_bold_font->GetHeight(&bold);
	float a = bold.ascent, d = bold.descent, l = bold.leading;

	EXPECT_EQ(own[0].text, "Tarnwick 1.00");
	EXPECT_EQ(own[0].font, *be_bold_font);
	EXPECT_FLOAT_EQ(own[0].baseline.x, d + 1);
	EXPECT_FLOAT_EQ(own[0].baseline.y, a + 2 * d + l);

	EXPECT_FALSE(own[1].text.empty());
	EXPECT_EQ(own[1].font, *be_plain_font);
	EXPECT_FLOAT_EQ(own[1].baseline.x, d + 131);
	EXPECT_FLOAT_EQ(own[1].baseline.y, 2 * a + 3 * d + 2 * l);
	// The credit fits beside the title, inside the view.
	EXPECT_LT(own[1].baseline.x + be_plain_font->StringWidth(own[1].text.c_str()), 240);
}

TEST(SettingsWindow, DestructorStoresThePositionAndAsksTheApplicationToQuit)
{
	reset_settings();
	BApplication app(kSignature);
	BView* view;
	BRect extent;
	ASSERT_EQ(MakeConfig(nullptr, &view, &extent), B_OK);
	PSDWindow* window = new PSDWindow(extent, "Tarnwick", B_TITLED_WINDOW,
	                                  B_NOT_RESIZABLE | B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE);
	window->AddChild(view);
	window->MoveTo(BPoint(123, 45));
	window->Show();
	// What the window manager's close box sends; moved first, as by a user.
	BMessage moved(B_WINDOW_MOVED);
	moved.AddPoint("where", BPoint(300, 200));
	window->PostMessage(&moved);
	window->PostMessage(B_QUIT_REQUESTED);
	app.Run(); // returns on the window's quit request to the application
	EXPECT_EQ(app.CountWindows(), 0);
	psd_settings settings = copy_settings();
	EXPECT_EQ(settings.window_pos, BPoint(300, 200));
	EXPECT_TRUE(settings.changed);
}

TEST(SettingsWindow, QuittingTheApplicationStillStoresThePosition)
{
	reset_settings();
	BApplication app(kSignature);
	PSDWindow* window = new PSDWindow(BRect(0, 0, 240, 220), "Tarnwick", B_TITLED_WINDOW,
	                                  B_NOT_RESIZABLE | B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE);
	window->MoveTo(BPoint(77, 88));
	window->Show();
	be_app->PostMessage(B_QUIT_REQUESTED);
	app.Run();
	EXPECT_EQ(copy_settings().window_pos, BPoint(77, 88));
}

} // namespace
