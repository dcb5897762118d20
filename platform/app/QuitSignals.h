#ifndef _QUIT_SIGNALS_H
#define _QUIT_SIGNALS_H

namespace BPrivate {

// While installed, SIGINT and SIGTERM post B_QUIT_REQUESTED to be_app.
void install_quit_signals();
void remove_quit_signals();

} // namespace BPrivate

#endif
