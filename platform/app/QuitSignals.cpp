#include "QuitSignals.h"

#include <AppDefs.h>
#include <Application.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace BPrivate {

namespace {

// A signal handler may only write to a pipe; a thread turns the bytes into
// messages.
int gPipe[2] = {-1, -1};
std::thread gWatcher;
struct sigaction gPrevious[2];
const int kSignals[2] = {SIGINT, SIGTERM};
const char kQuit = 'q';
const char kStop = 's';

void on_signal(int)
{
	int savedErrno = errno;
	ssize_t ignored = write(gPipe[1], &kQuit, 1);
	(void)ignored;
	errno = savedErrno;
}

void watch()
{
	char byte;
	while (read(gPipe[0], &byte, 1) == 1 && byte == kQuit)
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
}

} // namespace

void install_quit_signals()
{
	if (gPipe[0] >= 0 || pipe2(gPipe, O_CLOEXEC) != 0)
		return;
	gWatcher = std::thread(watch);
	struct sigaction action = {};
	action.sa_handler = on_signal;
	sigemptyset(&action.sa_mask);
	action.sa_flags = SA_RESTART;
	for (int i = 0; i < 2; i++)
		sigaction(kSignals[i], &action, &gPrevious[i]);
}

void remove_quit_signals()
{
	if (gPipe[0] < 0)
		return;
	for (int i = 0; i < 2; i++)
		sigaction(kSignals[i], &gPrevious[i], nullptr);
	ssize_t ignored = write(gPipe[1], &kStop, 1);
	(void)ignored;
	gWatcher.join();
	close(gPipe[0]);
	close(gPipe[1]);
	gPipe[0] = gPipe[1] = -1;
}

} // namespace BPrivate
