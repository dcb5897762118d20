// Wendral's Identify and Translate on any bytes: Identify accepts exactly the
// streams of a SCREEN$ form (6144 and 12288 bytes only with the SCREEN$ hint),
// Translate given a SCREEN$ info accepts the same as hinted identification,
// and an accepted stream becomes the Be bitmap of an independent reading.

#include "FuzzSupport.h"
#include "ScreenReference.h"

#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

namespace {

const uint32 kZXType = 0x5A582020; // 'ZX  '

status_t identify(const uint8_t* data, size_t size, const translation_format* hint)
{
	BMemoryIO in(data, size);
	translator_info info = {};
	status_t status = Identify(&in, hint, nullptr, &info, 0);
	if (status == B_OK) {
		FUZZ_CHECK(info.type == kZXType && info.group == B_TRANSLATOR_BITMAP);
	}
	return status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::vector<uint8_t> expected = screenReferenceBitmap(data, size, true);
	const bool plainForm = !expected.empty() && size != 6144 && size != 12288;

	FUZZ_CHECK(identify(data, size, nullptr) == (plainForm ? B_OK : B_NO_TRANSLATOR));
	translation_format hint = {};
	strcpy(hint.MIME, "image/x-zx-screen");
	FUZZ_CHECK(identify(data, size, &hint) == (expected.empty() ? B_NO_TRANSLATOR : B_OK));

	translator_info info = {};
	info.type = kZXType;
	BMemoryIO in(data, size);
	BMallocIO out;
	status_t status = Translate(&in, &info, nullptr, 0, &out);
	if (expected.empty()) {
		FUZZ_CHECK(status == B_NO_TRANSLATOR && out.BufferLength() == 0);
		return 0;
	}
	FUZZ_CHECK(status == B_OK);
	FUZZ_CHECK(out.BufferLength() == expected.size());
	FUZZ_CHECK(memcmp(out.Buffer(), expected.data(), expected.size()) == 0);
	return 0;
}
