#ifndef TRANSLATE_PROGRESS_LINE_H
#define TRANSLATE_PROGRESS_LINE_H

#include "FailureLine.h"
#include "PngDeflate.h"

#include <SupportDefs.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <string>
#include <thread>

// How far the conversion of one file has come, told by the thread that
// converts it: the bytes the add-on has read of the file, and the PNG
// bands written (told by the PNG encoder).
class FileProgress : public PngBandProgress {
public:
	FileProgress(const std::string& name, bool png) : fName(name), fPng(png) {}

	void SetSize(off_t size) { fSize = size > 0 ? (uint64)size : 0; }
	void AddRead(size_t bytes) { fRead.fetch_add(bytes, std::memory_order_relaxed); }
	void BandsWritten(size_t done, size_t total) override;

	const std::string& Name() const { return fName; }
	// From 0 to 1: the reading, then (for PNG output) the bands, half each.
	double Fraction() const;
	// "read 41%" or "PNG band 12 of 53".
	std::string Stage() const;

private:
	const std::string fName;
	const bool fPng;
	std::atomic<uint64> fSize{0};
	std::atomic<uint64> fRead{0};
	std::atomic<uint32> fBandsDone{0};
	std::atomic<uint32> fBands{0};
};

// The progress line of a conversion run whose standard error is a
// terminal: files done of the total, the file being converted and how far
// it has come, the time elapsed and an estimate of the time left. Its own
// thread draws it in place a few times a second; failure lines go above it
// whole; it is cleared when the run ends. Runs shorter than one redraw
// show nothing.
class ProgressLine : public StatusLine {
public:
	explicit ProgressLine(size_t files);
	~ProgressLine();

	// Each file being converted, from its start to its end.
	FileProgress* Start(const std::string& name, bool png);
	void Finish(FileProgress* file);

	void Clear() override;
	// Draws the line again if Clear took it away.
	void Redraw() override;

private:
	void _Run();
	void _Draw();
	std::string _Text();

	const size_t fFiles;
	const std::chrono::steady_clock::time_point fStart;
	std::mutex fFilesLock; // guards fActive and fDone
	std::list<FileProgress> fActive;
	size_t fDone = 0;
	bool fShown = false;   // guarded by standard_error_lock(), as is
	bool fCleared = false; // this
	std::mutex fStopLock;
	std::condition_variable fStopped;
	bool fStop = false;
	std::thread fThread;
};

#endif
