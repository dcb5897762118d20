#include "ProgressLine.h"

#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const std::chrono::milliseconds kRedrawInterval(200);

// m:ss, or h:mm:ss from an hour.
std::string duration_text(double seconds)
{
	long total = (long)(seconds + 0.5);
	char text[32];
	if (total >= 3600)
		snprintf(text, sizeof(text), "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
	else
		snprintf(text, sizeof(text), "%ld:%02ld", total / 60, total % 60);
	return text;
}

size_t terminal_columns()
{
	struct winsize size;
	if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
		return size.ws_col;
	return 80;
}

// At most `columns` characters (UTF-8 sequences counted as one), cut in
// the middle of the file name part where too long; the last column stays
// free so that the terminal never wraps the line.
std::string fitted(const std::string& head, const std::string& name, const std::string& tail,
                   size_t columns)
{
	auto length = [](const std::string& text) {
		return (size_t)std::count_if(text.begin(), text.end(),
		                             [](char c) { return ((unsigned char)c & 0xC0) != 0x80; });
	};
	const size_t room = columns > 1 ? columns - 1 : 0;
	const size_t fixed = length(head) + length(tail);
	if (fixed + length(name) <= room)
		return head + name + tail;
	if (fixed + 4 > room)
		return (head + tail).substr(0, room);
	// Keep the name's end, where what tells files apart usually is.
	size_t keep = room - fixed - 3, start = name.size();
	while (start > 0 && keep > 0) {
		--start;
		if (((unsigned char)name[start] & 0xC0) != 0x80)
			--keep;
	}
	return head + "..." + name.substr(start) + tail;
}

} // namespace

void FileProgress::BandsWritten(size_t done, size_t total)
{
	fBands.store((uint32)total, std::memory_order_relaxed);
	fBandsDone.store((uint32)done, std::memory_order_relaxed);
}

double FileProgress::Fraction() const
{
	const uint64 size = fSize.load(std::memory_order_relaxed);
	const double read =
	    size == 0 ? 0 : std::min(1.0, (double)fRead.load(std::memory_order_relaxed) / size);
	if (!fPng)
		return read;
	const uint32 bands = fBands.load(std::memory_order_relaxed);
	return bands == 0 ? read / 2 : 0.5 + 0.5 * fBandsDone.load(std::memory_order_relaxed) / bands;
}

std::string FileProgress::Stage() const
{
	const uint32 bands = fBands.load(std::memory_order_relaxed);
	if (bands > 0) {
		return "PNG band " + std::to_string(fBandsDone.load(std::memory_order_relaxed)) + " of " +
		       std::to_string(bands);
	}
	const uint64 size = fSize.load(std::memory_order_relaxed);
	if (size == 0)
		return "";
	const uint64 read = std::min(size, fRead.load(std::memory_order_relaxed));
	return "read " + std::to_string(100 * read / size) + "%";
}

ProgressLine::ProgressLine(size_t files) : fFiles(files), fStart(std::chrono::steady_clock::now())
{
	{
		std::lock_guard<std::mutex> lock(standard_error_lock());
		set_status_line(this);
	}
	fThread = std::thread(&ProgressLine::_Run, this);
}

ProgressLine::~ProgressLine()
{
	{
		std::lock_guard<std::mutex> lock(fStopLock);
		fStop = true;
	}
	fStopped.notify_all();
	fThread.join();
	std::lock_guard<std::mutex> lock(standard_error_lock());
	Clear();
	set_status_line(nullptr);
}

FileProgress* ProgressLine::Start(const std::string& name, bool png)
{
	std::lock_guard<std::mutex> lock(fFilesLock);
	fActive.emplace_back(name, png);
	return &fActive.back();
}

void ProgressLine::Finish(FileProgress* file)
{
	std::lock_guard<std::mutex> lock(fFilesLock);
	fActive.remove_if([file](const FileProgress& active) { return &active == file; });
	fDone++;
}

void ProgressLine::Clear()
{
	if (fShown)
		fputs("\r\033[K", stderr);
	fCleared = fShown;
	fShown = false;
}

void ProgressLine::Redraw()
{
	if (fCleared)
		_Draw();
}

void ProgressLine::_Draw()
{
	const std::string text = "\r" + _Text() + "\033[K";
	fwrite(text.data(), 1, text.size(), stderr);
	fShown = true;
	fCleared = false;
}

void ProgressLine::_Run()
{
	std::unique_lock<std::mutex> stopLock(fStopLock);
	while (!fStopped.wait_for(stopLock, kRedrawInterval, [this] { return fStop; })) {
		std::lock_guard<std::mutex> lock(standard_error_lock());
		_Draw();
	}
}

// "12/300 files  0:42 elapsed  3:10 left  photos/big.psd  read 41%": the
// file shown is the one started last of those being converted.
std::string ProgressLine::_Text()
{
	const double elapsed =
	    std::chrono::duration<double>(std::chrono::steady_clock::now() - fStart).count();
	const size_t columns = terminal_columns();
	std::lock_guard<std::mutex> lock(fFilesLock);
	double done = (double)fDone;
	for (const FileProgress& file : fActive)
		done += file.Fraction();
	std::string head = std::to_string(fDone) + "/" + std::to_string(fFiles) + " files  " +
	                   duration_text(elapsed) + " elapsed";
	if (done > 0 && elapsed >= 1)
		head += "  " + duration_text(elapsed * (fFiles - done) / done) + " left";
	if (fActive.empty())
		return fitted(head, "", "", columns);
	const FileProgress& shown = fActive.back();
	const std::string stage = shown.Stage();
	return fitted(head + "  ", shown.Name(), stage.empty() ? "" : "  " + stage, columns);
}
