#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <Looper.h>
#include <Messenger.h>

class BWindow;

// The application object: its message loop runs on the thread that calls
// Run (the thread that made it), which also serves the display. SIGINT and
// SIGTERM arrive as B_QUIT_REQUESTED. By default a quit request asks every
// window to quit and quits when all agree.
class BApplication : public BLooper {
public:
	BApplication(const char* signature);
	BApplication(const char* signature, status_t* error);
	virtual ~BApplication();

	status_t InitCheck() const;

	virtual thread_id Run();
	virtual void Quit();
	virtual bool QuitRequested();

	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;

private:
	void _Init(const char* signature);

	status_t fInitStatus;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif
