// The view MakeConfig builds, the settings messages, and GetConfigMessage.

#include "SettingsUiSupport.h"
#include <settings/PSDView.h>

#include <Box.h>
#include <CheckBox.h>
#include <Message.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct BuiltView {
	std::unique_ptr<PSDView> view;
	BRect extent;
};

BuiltView make_config(BMessage* extension = nullptr)
{
	BView* view = nullptr;
	BRect extent(1, 2, 3, 4);
	EXPECT_EQ(MakeConfig(extension, &view, &extent), B_OK);
	PSDView* psdView = dynamic_cast<PSDView*>(view);
	EXPECT_NE(psdView, nullptr);
	return BuiltView{std::unique_ptr<PSDView>(psdView), extent};
}

void expect_view(BView* view, BView* parent, BRect frame, const char* name, uint32 mode,
                 uint32 flags)
{
	ASSERT_NE(view, nullptr);
	SCOPED_TRACE(name);
	EXPECT_EQ(view->Parent(), parent);
	EXPECT_EQ(view->Frame(), frame);
	EXPECT_STREQ(view->Name(), name);
	EXPECT_EQ(view->ResizingMode(), mode);
	EXPECT_EQ(view->Flags(), flags);
}

const rgb_color kViewColor = {220, 220, 220, 0};

class ConfigViewTest : public testing::Test {
protected:
	void SetUp() override { reset_settings(); }
};

TEST_F(ConfigViewTest, BuildsTheLayoutWithItsNamesLabelsModesAndFlags)
{
	BuiltView built = make_config();
	PSDView* view = built.view.get();
	EXPECT_EQ(built.extent, BRect(0, 0, 240, 220));
	expect_view(view, nullptr, BRect(0, 0, 240, 220), "Tarnwick Settings", 0x1234, 0x20000000);
	EXPECT_EQ(view->ViewColor(), kViewColor);
	ASSERT_EQ(view->CountChildren(), 2);

	BBox* read = dynamic_cast<BBox*>(view->ChildAt(0));
	BBox* write = dynamic_cast<BBox*>(view->ChildAt(1));
	ASSERT_NE(read, nullptr);
	ASSERT_NE(write, nullptr);
	expect_view(read, view, BRect(10, 35, 230, 125), "Read", 0x1212, 0x24000000);
	EXPECT_STREQ(read->Label(), "Read");
	EXPECT_EQ(read->Border(), B_FANCY_BORDER);
	expect_view(write, view, BRect(10, 140, 230, 200), "Write", 0x1212, 0x24000000);
	EXPECT_STREQ(write->Label(), "Write");
	EXPECT_EQ(write->Border(), B_FANCY_BORDER);

	// Children of the read group in the order they were added.
	ASSERT_EQ(read->CountChildren(), 6);
	EXPECT_EQ(read->ChildAt(0), view->alpha4CheckBox);
	EXPECT_EQ(read->ChildAt(1), view->rgbLabel);
	EXPECT_EQ(read->ChildAt(2), view->multichannelLabel);
	EXPECT_EQ(read->ChildAt(3), view->multichannelRGB);
	EXPECT_EQ(read->ChildAt(4), view->multichannelCMYK);
	EXPECT_EQ(read->ChildAt(5), view->multichannelGrayscale);

	expect_view(view->alpha4CheckBox, read, BRect(15, 30, 160, 50), "Channel 4 as Alpha", 0x1212,
	            0x22000000);
	EXPECT_STREQ(view->alpha4CheckBox->Label(), "Channel 4 as Alpha");
	EXPECT_EQ(view->alpha4CheckBox->Command(), 0u);
	EXPECT_EQ(view->alpha4CheckBox->ViewColor(), kViewColor);

	expect_view(view->rgbLabel, read, BRect(10, 14, 80, 28), "RGB Label", 0x1212, 0x20000000);
	EXPECT_STREQ(view->rgbLabel->Text(), "RGB:");
	expect_view(view->multichannelLabel, read, BRect(10, 50, 80, 64), "Multichannel Label", 0x1212,
	            0x20000000);
	EXPECT_STREQ(view->multichannelLabel->Text(), "Multichannel:");

	struct {
		BRadioButton* button;
		BRect frame;
		const char* name;
		const char* label;
		uint32 code;
	} radios[] = {
	    {view->multichannelRGB, BRect(15, 66, 60, 86), "Multichannel RGB", "RGB", 1},
	    {view->multichannelCMYK, BRect(75, 66, 130, 86), "Multichannel CMYK", "CMYK", 2},
	    {view->multichannelGrayscale, BRect(140, 66, 215, 86), "Multichannel Grayscale",
	     "Grayscale", 3},
	};
	for (const auto& radio : radios) {
		expect_view(radio.button, read, radio.frame, radio.name, 0x1212, 0x22000000);
		EXPECT_STREQ(radio.button->Label(), radio.label);
		EXPECT_EQ(radio.button->Command(), radio.code);
	}

	ASSERT_EQ(write->CountChildren(), 1);
	EXPECT_EQ(write->ChildAt(0), view->writeLabel);
	expect_view(view->writeLabel, write, BRect(10, 14, 200, 28), "Multichannel Label", 0x1212,
	            0x20000000);
	EXPECT_STREQ(view->writeLabel->Text(), "<Not Yet Implemented>");
}

TEST_F(ConfigViewTest, ControlsStartFromTheSettings)
{
	struct Case {
		bool alpha4;
		int8 multichannelRead;
		int32 alpha, rgb, cmyk, gray;
	} cases[] = {
	    {false, 1, 0, 1, 0, 0}, {true, 2, 1, 0, 1, 0},  {false, 3, 0, 0, 0, 1},
	    {true, 0, 1, 1, 0, 0},  {false, 9, 0, 1, 0, 0},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(testing::Message() << "multichannelRead " << (int)c.multichannelRead);
		reset_settings(c.alpha4, c.multichannelRead);
		BuiltView built = make_config();
		EXPECT_EQ(built.view->alpha4CheckBox->Value(), c.alpha);
		EXPECT_EQ(built.view->multichannelRGB->Value(), c.rgb);
		EXPECT_EQ(built.view->multichannelCMYK->Value(), c.cmyk);
		EXPECT_EQ(built.view->multichannelGrayscale->Value(), c.gray);
		EXPECT_FALSE(copy_settings().changed);
	}
}

TEST_F(ConfigViewTest, ExtensionMessageReachesTheSettingsButNotTheControls)
{
	BMessage alphaOnly;
	alphaOnly.AddBool("psd /alpha4", true);
	BuiltView built = make_config(&alphaOnly);
	psd_settings settings = copy_settings();
	EXPECT_TRUE(settings.alpha4);
	EXPECT_TRUE(settings.changed);
	EXPECT_EQ(built.view->alpha4CheckBox->Value(), B_CONTROL_OFF);

	reset_settings();
	BMessage multichannelOnly;
	multichannelOnly.AddInt8("psd /multichannelRead", 3);
	built = make_config(&multichannelOnly);
	settings = copy_settings();
	EXPECT_EQ(settings.multichannelRead, 3);
	EXPECT_FALSE(settings.alpha4);
	EXPECT_TRUE(settings.changed);
	EXPECT_EQ(built.view->multichannelRGB->Value(), B_CONTROL_ON);

	// With both fields only alpha4 is taken.
	reset_settings();
	BMessage both;
	both.AddInt8("psd /multichannelRead", 2);
	both.AddBool("psd /alpha4", true);
	make_config(&both);
	settings = copy_settings();
	EXPECT_TRUE(settings.alpha4);
	EXPECT_EQ(settings.multichannelRead, 1);
}

TEST_F(ConfigViewTest, ExtensionWithoutASettingOrWithABadOneChangesNothing)
{
	make_config(nullptr);
	EXPECT_FALSE(copy_settings().changed);

	BMessage unrelated;
	unrelated.AddInt32("psd /multichannelRead", 2); // wrong type
	unrelated.AddInt8("other", 2);
	make_config(&unrelated);
	EXPECT_FALSE(copy_settings().changed);

	// Translate reads multichannel images in three ways only; other values
	// from a host are refused.
	for (int8 value : {0, 4, -1, 127}) {
		SCOPED_TRACE((int)value);
		reset_settings(false, 2);
		BMessage outOfRange;
		outOfRange.AddInt8("psd /multichannelRead", value);
		make_config(&outOfRange);
		psd_settings settings = copy_settings();
		EXPECT_EQ(settings.multichannelRead, 2);
		EXPECT_FALSE(settings.changed);
	}
}

TEST_F(ConfigViewTest, SetSettingsAppliesOneFieldAndLeavesTheControls)
{
	BuiltView built = make_config();
	BMessage message;
	message.AddInt8("psd /multichannelRead", 2);
	built.view->SetSettings(&message);
	EXPECT_EQ(copy_settings().multichannelRead, 2);
	EXPECT_TRUE(copy_settings().changed);
	EXPECT_EQ(built.view->multichannelCMYK->Value(), B_CONTROL_OFF);

	// Storing the value already held still marks the record.
	reset_settings(false, 2);
	built.view->SetSettings(&message);
	EXPECT_TRUE(copy_settings().changed);

	reset_settings(false, 2);
	BMessage bad;
	bad.AddInt8("psd /multichannelRead", 5);
	built.view->SetSettings(&bad);
	EXPECT_FALSE(copy_settings().changed);
}

TEST(GetConfigMessage, RemovesOnlyTheColorSpaceField)
{
	BMessage message(0x63666720); // 'cfg '
	message.AddInt32(B_TRANSLATOR_EXT_BITMAP_COLOR_SPACE, 0x2008);
	message.AddBool("keep", true);
	message.AddInt8("psd /multichannelRead", 3);
	EXPECT_EQ(GetConfigMessage(&message), B_OK);
	EXPECT_FALSE(message.HasData(B_TRANSLATOR_EXT_BITMAP_COLOR_SPACE, B_ANY_TYPE));
	EXPECT_TRUE(message.HasBool("keep"));
	EXPECT_TRUE(message.HasInt8("psd /multichannelRead"));
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 2);
	EXPECT_FALSE(message.HasBool("psd /alpha4"));

	BMessage empty;
	EXPECT_EQ(GetConfigMessage(&empty), B_OK);
	EXPECT_TRUE(empty.IsEmpty());
}

} // namespace
