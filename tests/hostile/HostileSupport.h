#ifndef HOSTILE_SUPPORT_H
#define HOSTILE_SUPPORT_H

// The real add-ons as a host loads them, the streams hostile input arrives
// through, and the one promise every translation must keep: a failure status
// with the output untouched, or B_OK with one complete Be bitmap stream.

#include "TestStreams.h"

#include <DataIO.h>
#include <GraphicsDefs.h>
#include <Message.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hostile {

typedef std::vector<uint8_t> Bytes;

const uint32 kPSDType = 0x70736420; // 'psd '
const uint32 kZXType = 0x5A582020;  // 'ZX  '
const size_t kBitmapHeaderSize = 32;

// Tarnwick and Wendral from the build's translators folder, loaded once by a
// roster over a settings folder that holds no file (the default settings).
struct AddOns {
	AddOns();
	BTranslatorRoster roster;
	translator_id tarnwick = 0;
	translator_id wendral = 0;
};
AddOns& addOns();

// A stream that cannot seek, like a pipe: each Read delivers at most `chunk`
// of the bytes that are left.
class PipeInput : public BPositionIO {
public:
	explicit PipeInput(const Bytes& bytes, size_t chunk = SIZE_MAX);
	ssize_t Read(void* buffer, size_t size) override;
	ssize_t ReadAt(off_t, void*, size_t) override { return B_NOT_SUPPORTED; }
	ssize_t WriteAt(off_t, const void*, size_t) override { return B_NOT_SUPPORTED; }
	off_t Seek(off_t, uint32) override { return B_NOT_SUPPORTED; }
	off_t Position() const override { return B_NOT_SUPPORTED; }

private:
	Bytes fBytes;
	size_t fChunk;
	size_t fNext = 0;
};

struct Outcome {
	status_t status;
	Bytes bytes;
	int writes;
};

// Translates with one add-on through the roster, as a host does once
// Identify has chosen it (the roster rewinds the input first).
Outcome translateWith(translator_id translator, uint32 type, BPositionIO* in,
                      BMessage* extension = nullptr);
// The merged image as stored, never the layers.
Outcome translateMergedPSD(const Bytes& file);
Outcome translatePSD(const Bytes& file);
Outcome translateScreen(const Bytes& file);

// A failure status with nothing written, or B_OK with a stream whose header
// is self-consistent, of the colour space given, and followed by exactly
// dataSize bytes written in two calls.
::testing::AssertionResult untouchedOrBitmap(const Outcome& outcome, color_space colors);

// The bitmap's pixel bytes, or nothing when the outcome is no bitmap.
Bytes pixelsOf(const Outcome& outcome);

Bytes readFile(const std::string& path);
// Regular files in the folder whose names end with suffix, in name order;
// none when the folder does not exist.
std::vector<std::string> filesIn(const std::string& folder, const std::string& suffix);

} // namespace hostile

#endif
