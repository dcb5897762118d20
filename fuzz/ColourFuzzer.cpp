// Colour management on any profile. The first byte chooses the document
// (bits 0-1: grayscale, RGB, CMYK, Lab; bit 2: 16-bit samples; bit 3: keep
// the profile rather than convert; bit 4: a reduced reading); the rest is the
// ICC profile its image resources carry. Whatever the profile, Translate
// succeeds with a whole bitmap, and where it neither converts nor says the
// colours are sRGB (a profile kept, or one ignored for want of memory) the
// pixels are those of a reading without the request.

#include "FuzzSupport.h"

#include <Message.h>
#include <PsdWriter.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include <vector>

namespace {

const uint32 kSide = 9;
const uint16 kModes[4] = {1, 3, 4, 9};
const uint16 kChannels[4] = {1, 3, 4, 3};

// Samples of every value the depth has, spread over the planes.
psdtest::Bytes document(uint8_t choice, const uint8_t* profile, size_t size)
{
	const int kind = choice & 3;
	const uint16_t depth = choice & 4 ? 16 : 8;
	psdtest::PsdLayout layout =
	    psdtest::psdLayout(kModes[kind], depth, kChannels[kind], kSide, kSide);
	layout.imageResources = psdtest::imageResource(1039, psdtest::Bytes(profile, profile + size));
	std::vector<psdtest::Bytes> planes;
	for (int c = 0; c < kChannels[kind]; c++) {
		psdtest::Bytes plane;
		for (uint32 i = 0; i < kSide * kSide; i++) {
			const uint32 value = (i * 37 + c * 101) * 2039 % 65536;
			plane.push_back((uint8_t)(value >> 8));
			if (depth == 16)
				plane.push_back((uint8_t)value);
		}
		planes.push_back(plane);
	}
	return psdtest::psdRaw(layout, planes);
}

status_t translate(const psdtest::Bytes& psd, BMessage* extension, BMallocIO* out)
{
	BMemoryIO in(psd.data(), psd.size());
	return Translate(&in, nullptr, extension, B_TRANSLATOR_BITMAP, out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 1)
		return 0;
	const uint8_t choice = data[0];
	const psdtest::Bytes psd = document(choice, data + 1, size - 1);
	BMessage options;
	if (choice & 16)
		options.AddPoint(B_TRANSLATOR_EXT_SIZE_BOX, BPoint(4, 4));
	BMessage asked(options);
	asked.AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT,
	               choice & 8 ? B_TRANSLATOR_COLOR_KEEP_PROFILE : B_TRANSLATOR_COLOR_SRGB);
	BMallocIO managed, plain;
	FUZZ_CHECK(translate(psd, &asked, &managed) == B_OK);
	FUZZ_CHECK(translate(psd, &options, &plain) == B_OK);
	FUZZ_CHECK(managed.BufferLength() == plain.BufferLength());

	bool srgb = false;
	const void* kept = nullptr;
	ssize_t keptSize = 0;
	const bool converted = asked.FindBool(B_TRANSLATOR_EXT_COLOR_SRGB, &srgb) == B_OK && srgb;
	const bool keeps =
	    asked.FindData(B_TRANSLATOR_EXT_COLOR_PROFILE, B_RAW_TYPE, 0, &kept, &keptSize) == B_OK;
	FUZZ_CHECK(!(converted && keeps));
	FUZZ_CHECK(!keeps || (keptSize == (ssize_t)(size - 1) && (choice & 8) != 0));
	if (!converted) {
		FUZZ_CHECK(memcmp(managed.Buffer(), plain.Buffer(), plain.BufferLength()) == 0);
	}
	return 0;
}
