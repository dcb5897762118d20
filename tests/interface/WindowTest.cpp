// Windows without a display: the same drawing and input code as on screen,
// driven by the messages the display would send.

#include "WindowTestSupport.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Box.h>
#include <CheckBox.h>
#include <Message.h>
#include <Messenger.h>
#include <RadioButton.h>
#include <Screen.h>
#include <StringView.h>
#include <ViewWindow.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> gEvents;

class TracingView : public BView {
public:
	TracingView(BRect frame, const char* name)
	    : BView(frame, name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
	{
	}
	void AttachedToWindow() override { gEvents.push_back(std::string("attached ") + Name()); }
	void AllAttached() override { gEvents.push_back(std::string("all attached ") + Name()); }
	void MessageReceived(BMessage* message) override { received.push_back(message->what); }

	std::vector<uint32> received;
};

class RecordingWindow : public BWindow {
public:
	RecordingWindow(BRect frame = BRect(100, 100, 339, 299))
	    : BWindow(frame, "test", B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kSyncCode)
			received.push_back(message->what);
	}

	std::vector<uint32> received;
};

class WindowTest : public testing::Test {
protected:
	void SetUp() override
	{
		app = new BApplication("application/x-vnd.ostrel-interface-test");
		window = new RecordingWindow;
	}

	void TearDown() override
	{
		window->Lock();
		window->Quit();
		delete app;
	}

	// Shows the window; from then on its thread runs and callers lock it.
	void Show()
	{
		window->Show();
		sync_window(window);
	}

	BApplication* app = nullptr;
	RecordingWindow* window = nullptr;
};

TEST_F(WindowTest, AttachingCallsEveryViewBeforeAnyAllAttached)
{
	gEvents.clear();
	TracingView* parent = new TracingView(BRect(0, 0, 99, 99), "parent");
	TracingView* child = new TracingView(BRect(10, 10, 20, 20), "child");
	parent->AddChild(child);
	EXPECT_TRUE(gEvents.empty());
	window->AddChild(parent);
	EXPECT_EQ(gEvents, (std::vector<std::string>{"attached parent", "attached child",
	                                             "all attached child", "all attached parent"}));
	EXPECT_EQ(child->Window(), window);
	EXPECT_EQ(child->Looper(), window);
	EXPECT_EQ(window->FindView("child"), child);
	EXPECT_EQ(child->ConvertToScreen(BPoint(1, 2)), BPoint(111, 112));
}

TEST_F(WindowTest, CheckBoxClickTogglesAndMessagesItsTarget)
{
	TracingView* target = new TracingView(BRect(0, 0, 10, 10), "target");
	BCheckBox* box = new BCheckBox(BRect(20, 20, 150, 40), "box", "Tick me", new BMessage(7));
	window->AddChild(target);
	window->AddChild(box);
	box->SetTarget(BMessenger(target));
	Show();

	click_view_center(box);
	window->Lock();
	EXPECT_EQ(box->Value(), B_CONTROL_ON);
	EXPECT_EQ(target->received, std::vector<uint32>{7});
	window->Unlock();

	click_view_center(box);
	window->Lock();
	EXPECT_EQ(box->Value(), B_CONTROL_OFF);
	EXPECT_EQ(target->received, (std::vector<uint32>{7, 7}));
	window->Unlock();

	// Pressed inside, released outside: nothing happens.
	window->Lock();
	BPoint inside = window->ConvertFromScreen(box->ConvertToScreen(BPoint(5, 5)));
	window->Unlock();
	BMessage down(B_MOUSE_DOWN), up(B_MOUSE_UP);
	down.AddPoint("where", inside);
	up.AddPoint("where", inside + BPoint(0, 100));
	window->PostMessage(&down);
	window->PostMessage(&up);
	sync_window(window);
	window->Lock();
	EXPECT_EQ(box->Value(), B_CONTROL_OFF);
	EXPECT_EQ(target->received.size(), 2u);
	window->Unlock();
}

TEST_F(WindowTest, ControlWithoutATargetMessagesItsWindow)
{
	BCheckBox* box = new BCheckBox(BRect(20, 20, 150, 40), "box", "Tick me", new BMessage(9));
	window->AddChild(box);
	Show();
	click_view_center(box);
	window->Lock();
	EXPECT_EQ(window->received, std::vector<uint32>{9});
	window->Unlock();
}

TEST_F(WindowTest, RadioButtonsExcludeEachOtherWithinTheirParentOnly)
{
	BBox* first = new BBox(BRect(0, 0, 200, 60), "first");
	BBox* second = new BBox(BRect(0, 100, 200, 160), "second");
	BRadioButton* a = new BRadioButton(BRect(5, 15, 60, 35), "a", "A", new BMessage(1));
	BRadioButton* b = new BRadioButton(BRect(65, 15, 120, 35), "b", "B", new BMessage(2));
	BRadioButton* c = new BRadioButton(BRect(125, 15, 190, 35), "c", "C", new BMessage(3));
	BRadioButton* other = new BRadioButton(BRect(5, 15, 60, 35), "d", "D", new BMessage(4));
	first->AddChild(a);
	first->AddChild(b);
	first->AddChild(c);
	second->AddChild(other);
	window->AddChild(first);
	window->AddChild(second);
	a->SetValue(B_CONTROL_ON);
	other->SetValue(B_CONTROL_ON);
	Show();

	click_view_center(c);
	window->Lock();
	EXPECT_EQ(a->Value(), B_CONTROL_OFF);
	EXPECT_EQ(b->Value(), B_CONTROL_OFF);
	EXPECT_EQ(c->Value(), B_CONTROL_ON);
	EXPECT_EQ(other->Value(), B_CONTROL_ON);
	window->Unlock();

	// Clicking the one that is on keeps it on and still sends its message.
	click_view_center(c);
	window->Lock();
	EXPECT_EQ(c->Value(), B_CONTROL_ON);
	EXPECT_EQ(window->received, (std::vector<uint32>{3, 3}));
	window->Unlock();
}

TEST_F(WindowTest, TextAndMarksReachTheFramebuffer)
{
	BStringView* text = new BStringView(BRect(10, 10, 120, 24), "text", "Some words");
	BStringView* empty = new BStringView(BRect(10, 30, 120, 44), "empty", "");
	BCheckBox* box = new BCheckBox(BRect(10, 50, 30, 70), "box", nullptr, new BMessage(1));
	window->AddChild(text);
	window->AddChild(empty);
	window->AddChild(box);
	Show();
	EXPECT_GT(count_ink(window, text), 20);
	EXPECT_EQ(count_ink(window, empty), 0);

	int unticked = count_ink(window, box);
	window->Lock();
	box->SetValue(B_CONTROL_ON);
	window->Unlock();
	EXPECT_GT(count_ink(window, box), unticked + 5);
}

TEST_F(WindowTest, ResizingMovesChildrenByTheirModes)
{
	BView* parent = new BView(BRect(0, 0, 100, 100), "parent", B_FOLLOW_NONE, 0);
	BView* all = new BView(BRect(10, 10, 90, 90), "all", B_FOLLOW_ALL_SIDES, 0);
	BView* corner = new BView(BRect(10, 10, 20, 20), "corner", B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
	BView* right = new BView(BRect(80, 10, 90, 20), "right", B_FOLLOW_RIGHT | B_FOLLOW_TOP, 0);
	parent->AddChild(all);
	parent->AddChild(corner);
	parent->AddChild(right);
	parent->ResizeTo(200, 150);
	EXPECT_EQ(all->Frame(), BRect(10, 10, 190, 140));
	EXPECT_EQ(corner->Frame(), BRect(10, 10, 20, 20));
	EXPECT_EQ(right->Frame(), BRect(180, 10, 190, 20));
	delete parent;
}

TEST_F(WindowTest, WithoutADisplayTheMouseIsAtTheVirtualScreenCentre)
{
	BView* view = new BView(BRect(5, 6, 50, 50), "view", B_FOLLOW_NONE, 0);
	window->AddChild(view);
	EXPECT_EQ(BScreen().Frame(), BRect(0, 0, 1023, 767));
	BPoint where;
	uint32 buttons = 99;
	view->GetMouse(&where, &buttons, false);
	EXPECT_EQ(where, BPoint(512 - 105, 384 - 106));
	EXPECT_EQ(buttons, 0u);
}

bool gViewDeleted;

class DeletionView : public BView {
public:
	DeletionView() : BView(BRect(0, 0, 50, 50), "host view", B_FOLLOW_ALL_SIDES, B_WILL_DRAW) {}
	~DeletionView() override { gViewDeleted = true; }
};

// Waits until some window exists and sends it what a close box sends.
void close_first_window()
{
	for (int i = 0; i < 2000 && be_app->CountWindows() == 0; i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	BMessenger(be_app->WindowAt(0)).SendMessage(B_QUIT_REQUESTED);
}

TEST(ViewWindow, RunsUntilTheWindowIsClosedAndDeletesTheView)
{
	BApplication app("application/x-vnd.ostrel-interface-test");
	gViewDeleted = false;
	std::thread closer(close_first_window);
	ASSERT_EQ(BPrivate::run_view_window(new DeletionView, BRect(0, 0, 240, 220), "Host"), B_OK);
	closer.join();
	EXPECT_TRUE(gViewDeleted);
	EXPECT_EQ(app.CountWindows(), 0);
}

TEST(ViewWindow, RefusesToRunWithoutAnApplicationOrAView)
{
	DeletionView view;
	EXPECT_EQ(BPrivate::run_view_window(&view, BRect(0, 0, 10, 10), "Host"), B_NO_INIT);
	BApplication app("application/x-vnd.ostrel-interface-test");
	EXPECT_EQ(BPrivate::run_view_window(nullptr, BRect(0, 0, 10, 10), "Host"), B_BAD_VALUE);
}

// The application's quit request, here from SIGTERM, reaches every window.
TEST(ApplicationQuit, TerminationSignalQuitsTheWindowsAndEndsRun)
{
	BApplication app("application/x-vnd.ostrel-interface-test");
	gViewDeleted = false;
	BWindow* window = new BWindow(BRect(0, 0, 100, 100), "w", B_TITLED_WINDOW, 0);
	window->AddChild(new DeletionView);
	window->Show();
	std::thread signaller([] {
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
		kill(getpid(), SIGTERM);
	});
	app.Run();
	signaller.join();
	EXPECT_TRUE(gViewDeleted);
	EXPECT_EQ(app.CountWindows(), 0);
}

TEST(ApplicationQuit, AWindowThatRefusesKeepsTheApplicationRunning)
{
	class Refusing : public BWindow {
	public:
		Refusing() : BWindow(BRect(0, 0, 10, 10), "refusing", B_TITLED_WINDOW, 0) {}
		bool QuitRequested() override { return false; }
	};
	BApplication app("application/x-vnd.ostrel-interface-test");
	BWindow* window = new Refusing;
	window->Show();
	std::thread asker([] {
		BMessage reply;
		be_app_messenger.SendMessage(B_QUIT_REQUESTED, &reply);
		// Answered only once the request was handled: then stop for real.
		be_app_messenger.SendMessage(0x5f514954u); // the loop's own quit
	});
	app.Run();
	asker.join();
	EXPECT_EQ(app.CountWindows(), 1);
}

TEST(Alert, WithoutADisplayPrintsAndAnswersTheFirstButton)
{
	BApplication app("application/x-vnd.ostrel-interface-test");
	testing::internal::CaptureStderr();
	BAlert* alert = new BAlert("Error", "Something failed", "OK", "Cancel");
	EXPECT_EQ(alert->Go(), 0);
	std::string printed = testing::internal::GetCapturedStderr();
	EXPECT_NE(printed.find("Error: Something failed"), std::string::npos);
	EXPECT_EQ(app.CountWindows(), 0);
}

} // namespace
