// Tarnwick's Identify and Translate on any bytes. The first byte chooses the
// settings (bit 0: alpha4; bits 1-2: multichannelRead 1 to 4, 4 standing for
// a value only a host can store); the rest is the stream. The status is
// checked against an independent reading of the header and sections, the
// output header against the PSD header, and the pixels against a plain
// reference decoding, right after a decode that left other bytes in the read
// buffer.

#include "FuzzSupport.h"
#include "PsdReference.h"

#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <settings/PSDSettings.h>

#include <vector>

namespace {

const uint32 kPSDType = 0x70736420; // 'psd '
const uint32 kHeaderSize = 26;
// Larger images are not translated, so that the fuzzer explores rather than
// allocates: every loader already crosses several read blocks below this, and
// the hostile suite translates huge images whole.
const uint64_t kMaxPixels = (uint64_t)1 << 16;

struct Geometry {
	uint32_t channels, height, width, depth, mode;
};

Geometry readGeometry(const uint8_t* psd)
{
	return {fuzzBig16(psd + 12), fuzzBig32(psd + 14), fuzzBig32(psd + 18), fuzzBig16(psd + 22),
	        fuzzBig16(psd + 24)};
}

bool depthDefined(uint32_t mode, uint32_t depth)
{
	switch (mode) {
	case 0:
		return depth == 1;
	case 2:
		return depth == 8;
	case 1:
	case 3:
		return depth == 8 || depth == 16 || depth == 32;
	case 4:
	case 7:
	case 8:
	case 9:
		return depth == 8 || depth == 16;
	default:
		return false;
	}
}

bool isPSB(const uint8_t* psd)
{
	return fuzzBig16(psd + 4) == 2;
}

// B_OK exactly when Translate has an image to write: readable sections
// (a PSB file's layer and mask section has an 8-byte length), a compression
// of 0 to 3, a size whose bitmap stays below 4 GiB (and in a PSB file at most
// 300,000 pixels a side), a depth and channels the mode allows, and
// (indexed) a palette of 768 bytes.
status_t expectedStatus(const uint8_t* psd, size_t size)
{
	if (size < kHeaderSize)
		return B_ERROR;
	const Geometry g = readGeometry(psd);
	const uint32_t maxSide = isPSB(psd) ? 300000 : UINT32_MAX;
	if (!depthDefined(g.mode, g.depth) || g.width == 0 || g.height == 0 ||
	    (uint64_t)g.width * g.height * 4 > UINT32_MAX || g.width > maxSide || g.height > maxSide ||
	    (g.mode == 4 && g.channels < 4))
		return B_ERROR;
	uint64_t at = kHeaderSize;
	for (int section = 0; section < 3; section++) {
		const uint64_t lengthSize = section == 2 && isPSB(psd) ? 8 : 4;
		if (at > size || size - at < lengthSize)
			return B_ERROR;
		const uint64_t length = lengthSize == 8
		                            ? (uint64_t)fuzzBig32(psd + at) << 32 | fuzzBig32(psd + at + 4)
		                            : fuzzBig32(psd + at);
		if (section == 0 && g.mode == 2 && length != 768)
			return B_ERROR;
		at += lengthSize;
		at = length > UINT64_MAX - at ? UINT64_MAX : at + length;
	}
	if (at > size || size - at < 2 || fuzzBig16(psd + at) > 3)
		return B_ERROR;
	return B_OK;
}

bool identifiesAsPSD(const uint8_t* psd, size_t size)
{
	return size >= 6 && memcmp(psd, "8BPS", 4) == 0 &&
	       (fuzzBig16(psd + 4) == 1 || fuzzBig16(psd + 4) == 2);
}

// The bitmap header as it must appear, big-endian.
void expectedHeader(const Geometry& g, uint8_t out[32])
{
	const float right = (float)(g.width - 1), bottom = (float)(g.height - 1);
	uint32_t words[8] = {B_TRANSLATOR_BITMAP,   0, 0, 0, 0, g.width * 4, 0x2008,
	                     g.width * g.height * 4};
	memcpy(&words[3], &right, 4);
	memcpy(&words[4], &bottom, 4);
	for (int i = 0; i < 8; i++) {
		for (int b = 0; b < 4; b++)
			out[4 * i + b] = (uint8_t)(words[i] >> (24 - 8 * b));
	}
}

// A 1 x 1 image followed by a whole read block of 0xA5 bytes: decoding it
// fills the read buffers it uses with them. CMYK reads four planes side by
// side, each through a buffer of its own; bitmap reads through the one
// buffer of the plane-by-plane decoders.
std::vector<uint8_t> poisonImage(uint8_t mode, uint8_t channels, uint8_t depth)
{
	const uint8_t front[] = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0,     0, 0,    0, channels,
	                         0,   0,   0,   1,   0, 0, 0, 1, 0, depth, 0, mode, 0, 0,
	                         0,   0,   0,   0,   0, 0, 0, 0, 0, 0,     0, 0};
	static_assert(sizeof(front) == 40, "header, three empty sections, compression 0");
	std::vector<uint8_t> image(front, front + sizeof(front));
	image.resize(sizeof(front) + 16384, 0xA5);
	return image;
}

// The merged image as stored: the layers have a target of their own.
status_t translate(const uint8_t* psd, size_t size, CountingOutput* out)
{
	BMemoryIO in(psd, size);
	BMessage merged;
	merged.AddBool(TARNWICK_EXT_LAYERS, false);
	return Translate(&in, nullptr, &merged, B_TRANSLATOR_BITMAP, out);
}

void checkIdentify(const uint8_t* psd, size_t size)
{
	BMemoryIO in(psd, size);
	translator_info info = {};
	status_t status = Identify(&in, nullptr, nullptr, &info, 0);
	FUZZ_CHECK((status == B_OK) == identifiesAsPSD(psd, size));
	FUZZ_CHECK(status == B_OK || status == B_NO_TRANSLATOR);
	if (status == B_OK) {
		FUZZ_CHECK(info.type == kPSDType && info.group == B_TRANSLATOR_BITMAP);
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 1)
		return 0;
	const PsdReferenceSettings settings = {(data[0] & 1) != 0, 1 + ((data[0] >> 1) & 3)};
	g_settings_lock.Lock();
	g_settings.alpha4 = settings.alpha4;
	g_settings.multichannelRead = (int8)settings.multichannelRead;
	g_settings_lock.Unlock();
	const uint8_t* psd = data + 1;
	size--;

	checkIdentify(psd, size);

	const status_t expected = expectedStatus(psd, size);
	if (expected == B_OK) {
		const Geometry g = readGeometry(psd);
		if ((uint64_t)g.width * g.height > kMaxPixels)
			return 0;
	}

	// The read buffers hold whole blocks of 0xA5 bytes when the decode
	// starts: none of them may show in the image.
	static const std::vector<uint8_t> poisons[] = {poisonImage(4, 4, 8), poisonImage(0, 1, 1)};
	for (const std::vector<uint8_t>& poison : poisons) {
		CountingOutput poisoned;
		FUZZ_CHECK(translate(poison.data(), poison.size(), &poisoned) == B_OK);
	}

	CountingOutput out;
	const status_t status = translate(psd, size, &out);
	FUZZ_CHECK(status == expected);
	if (status != B_OK) {
		FUZZ_CHECK(out.writes == 0 && out.BufferLength() == 0);
		return 0;
	}

	const Geometry g = readGeometry(psd);
	uint8_t header[32];
	expectedHeader(g, header);
	FUZZ_CHECK(out.writes == 2);
	FUZZ_CHECK(out.BufferLength() == 32 + (uint64_t)g.width * g.height * 4);
	FUZZ_CHECK(memcmp(out.Bytes(), header, sizeof(header)) == 0);
	const std::vector<uint32_t> reference = psdReferencePixels(psd, size, settings);
	FUZZ_CHECK(memcmp(out.Bytes() + 32, reference.data(), 4 * reference.size()) == 0);
	return 0;
}
