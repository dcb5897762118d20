#ifndef TRANSLATE_FAILURE_LINE_H
#define TRANSLATE_FAILURE_LINE_H

#include <mutex>
#include <string>

// One line on standard error, "<program>: <message>", written whole: a
// status line on the terminal is cleared first and drawn again after.
void print_failure(const std::string& message);

// A line kept at the bottom of the terminal (the progress line).
class StatusLine {
public:
	virtual void Clear() = 0;
	virtual void Redraw() = 0;

protected:
	~StatusLine() {}
};

// Held while anything is written to standard error; the status line draws
// under it, and is set or unset (null) under it.
std::mutex& standard_error_lock();
void set_status_line(StatusLine* line);

#endif
