#include <AppDefs.h>
#include <Application.h>
#include <Window.h>

#include "Display.h"
#include "LooperExit.h"
#include "MessageQueue.h"
#include "QuitSignals.h"
#include "WindowList.h"

#include <cstring>

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

BApplication::BApplication(const char* signature) : BLooper(signature)
{
	_Init(signature);
}

BApplication::BApplication(const char* signature, status_t* error) : BLooper(signature)
{
	_Init(signature);
	if (error != nullptr)
		*error = fInitStatus;
}

void BApplication::_Init(const char* signature)
{
	fInitStatus =
	    signature != nullptr && strncmp(signature, "application/", 12) == 0 ? B_OK : B_BAD_VALUE;
	be_app = this;
	be_app_messenger = BMessenger(this);
	BPrivate::display::open();
	BPrivate::install_quit_signals();
}

BApplication::~BApplication()
{
	BPrivate::quit_running_windows();
	BPrivate::remove_quit_signals();
	BPrivate::display::close();
	be_app_messenger = BMessenger();
	be_app = nullptr;
}

status_t BApplication::InitCheck() const
{
	return fInitStatus;
}

thread_id BApplication::Run()
{
	AdoptCurrentThread();
	Unlock();
	if (!BPrivate::display::on_display_thread()) {
		Loop();
		return Thread();
	}
	Queue()->SetWakeHook(BPrivate::display::wake);
	while (!IsQuitting()) {
		while (!IsQuitting() && DispatchNextMessage(false)) {
		}
		if (!IsQuitting())
			BPrivate::display::wait_events();
	}
	Queue()->SetWakeHook(nullptr);
	return Thread();
}

void BApplication::Quit()
{
	if (IsOnLooperThread())
		BLooper::Quit();
	else
		be_app_messenger.SendMessage(BPrivate::B_QUIT_LOOPER);
}

bool BApplication::QuitRequested()
{
	return BPrivate::ask_windows_to_quit();
}

int32 BApplication::CountWindows() const
{
	return BPrivate::count_windows();
}

BWindow* BApplication::WindowAt(int32 index) const
{
	return BPrivate::window_at(index);
}
