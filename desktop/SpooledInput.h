#ifndef DESKTOP_SPOOLED_INPUT_H
#define DESKTOP_SPOOLED_INPUT_H

#include "DescriptorIO.h"

#include <SupportDefs.h>

#include <glib.h>

#include <memory>
#include <vector>

// The first this many bytes of an incoming file stay in memory.
const size_t kInMemoryInputBytes = (size_t)16 << 20;

// An image file as it arrives piece by piece, for the add-ons, which read
// positionable streams: a small file is kept in memory; one that outgrows
// kInMemoryInputBytes goes to an unlinked temporary file in
// g_get_tmp_dir(), so that the host program never holds a large file in
// its memory and nothing is left behind whatever becomes of the program.
class SpooledInput {
public:
	SpooledInput() = default;
	~SpooledInput();

	bool Append(const uint8* bytes, size_t size, GError** error);
	// What has arrived, rewound; valid until the next Append.
	BPositionIO* Stream();

private:
	bool _Spill(GError** error);
	bool _Write(const uint8* bytes, size_t size, GError** error);

	std::vector<uint8> fBytes;
	int fFile = -1; // the temporary file once spilled
	off_t fFileSize = 0;
	std::unique_ptr<BPositionIO> fStream;

	SpooledInput(const SpooledInput&) = delete;
	SpooledInput& operator=(const SpooledInput&) = delete;
};

#endif
