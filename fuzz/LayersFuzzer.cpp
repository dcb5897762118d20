// Tarnwick's Translate on any bytes with the layers asked for: the layer
// section, its additional information blocks and the renderer meet hostile
// input. The same bytes also go to the descriptor and path readers whole.
// Every outcome is a status with either a complete bitmap of the header's
// size or nothing written and a reason.

#include "FuzzSupport.h"

#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDModelContext.h>
#include <layers/PSDVectorPath.h>

namespace {

// Larger canvases are not rendered, so that the fuzzer explores rather than
// paints: the renderer's cost grows with the canvas and the layers on it.
const uint64_t kMaxPixels = (uint64_t)1 << 16;
// For the same reason, and because the sanitizers slow rendering tenfold: a
// file's default allowance would take longer than the fuzzer waits. Work
// far past its estimate still shows as a timeout.
const int64 kWorkLimit = 20000000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	PSDDescriptor descriptor;
	psdParseDescriptor(data, size, &descriptor);
	psdParseVersionedDescriptor(data, size, &descriptor);
	const PSDModelLimits limits;
	PSDVectorPath path;
	psdReadVectorPath(data, size, 1000, 1000, limits.knotsPerPath, limits.pointsPerPath, &path);

	if (size < 26)
		return 0;
	const uint32_t height = fuzzBig32(data + 14), width = fuzzBig32(data + 18);
	if ((uint64_t)width * height > kMaxPixels)
		return 0;

	BMemoryIO in(data, size);
	BMessage extension;
	extension.AddBool(TARNWICK_EXT_LAYERS, true);
	extension.AddInt64(TARNWICK_EXT_WORK_LIMIT, kWorkLimit);
	CountingOutput out;
	const status_t status = Translate(&in, nullptr, &extension, B_TRANSLATOR_BITMAP, &out);
	FUZZ_CHECK(status == B_OK || status == B_ERROR || status == B_NO_MEMORY);
	if (status != B_OK) {
		const char* reason = nullptr;
		FUZZ_CHECK(out.writes == 0 && out.BufferLength() == 0);
		FUZZ_CHECK(extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason) == B_OK);
		return 0;
	}
	FUZZ_CHECK(out.writes == 2);
	FUZZ_CHECK(out.BufferLength() == 32 + (uint64_t)width * height * 4);
	return 0;
}
