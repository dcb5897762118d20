// A failed Translate says why in one line, in the string field the add-on's
// header names, and keeps its status; the 4 GiB a Be bitmap can hold is the
// limit on size, decided before anything is allocated.

#include "AddressSpaceLimit.h"
#include "TarnwickAddOn.h"
#include "TestImages.h"
#include "TestStreams.h"

#include <Message.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct reasoned {
	status_t status;
	int writes;
	std::string reason; // empty when the message holds none
	int reasons;        // strings under the field's name
};

reasoned translate_reasoned(TarnwickAddOn& addOn, const Bytes& psd, BMessage& extension)
{
	CountingInput input(psd);
	LimitedOutput output;
	reasoned result;
	result.status = addOn.translate(&input, nullptr, &extension, 0, &output);
	result.writes = output.Writes();
	const char* reason = nullptr;
	result.reason =
	    extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason) == B_OK ? reason : "";
	result.reasons = 0;
	while (extension.HasData(B_TRANSLATOR_EXT_FAILURE_REASON, B_STRING_TYPE, result.reasons))
		result.reasons++;
	return result;
}

// Everything up to the compression word (0) of a 3-channel 8-bit RGB image,
// PSB when version is 2.
Bytes rgb_front(uint16_t version, uint32_t width, uint32_t height, uint16_t mode = 3,
                uint16_t depth = 8, uint16_t compression = 0)
{
	psdtest::PsdLayout layout = psdtest::psdLayout(mode, depth, 4, width, height);
	layout.version = version;
	Bytes psd = psdtest::psdFrontMatter(layout);
	psdtest::appendBig16(psd, compression);
	return psd;
}

TEST(TarnwickReason, FailuresSayWhyInOneLine)
{
	Bytes cutInLayerLength = rgb_front(2, 2, 1);
	cutInLayerLength.resize(26 + 4 + 4 + 5);
	const struct {
		Bytes psd;
		const char* reason;
	} cases[] = {
	    {rgb_front(2, 300000, 3580), "PSB image of 300000 x 3580 pixels: a Be bitmap holds at "
	                                 "most 4 GiB"},
	    {rgb_front(2, 300000, 300000), "PSB image of 300000 x 300000 pixels: a Be bitmap holds "
	                                   "at most 4 GiB"},
	    {rgb_front(1, 65536, 16384), "PSD image of 65536 x 16384 pixels: a Be bitmap holds at "
	                                 "most 4 GiB"},
	    {rgb_front(2, 300001, 1), "PSB image of 300001 x 1 pixels: larger than Photoshop's "
	                              "largest, 300000 pixels a side"},
	    {rgb_front(1, 2, 1, 4, 32), "32-bit float images in CMYK mode are not supported"},
	    {rgb_front(1, 2, 1, 3, 8, 4), "unknown compression method 4"},
	    {Bytes(10, '8'), "the file is too short to be a Photoshop image"},
	    {cutInLayerLength, "the file ends before its layer and mask information"},
	};
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	for (const auto& c : cases) {
		SCOPED_TRACE(c.reason);
		// A reason left from an earlier failure is replaced, not added to.
		BMessage extension;
		extension.AddString(B_TRANSLATOR_EXT_FAILURE_REASON, "an earlier reason");
		const reasoned result = translate_reasoned(addOn, c.psd, extension);
		EXPECT_EQ(B_ERROR, result.status);
		EXPECT_EQ(0, result.writes);
		EXPECT_EQ(c.reason, result.reason);
		EXPECT_EQ(1, result.reasons);
		EXPECT_EQ(B_ERROR, translate_with(addOn.translate, c.psd).status); // no message
	}

	BMessage extension;
	const reasoned success = translate_reasoned(addOn, two_pixel_psd(3, 3, 8, false), extension);
	EXPECT_EQ(B_OK, success.status);
	EXPECT_EQ(0, success.reasons);
}

// One row less than 4 GiB passes the size check: with too little address
// space for its bitmap, it fails for memory, not for its size.
TEST(TarnwickReason, PsbJustBelowFourGiBIsRefusedOnlyForMemory)
{
	if (!psdtest::kAddressSpaceLimitWorks)
		GTEST_SKIP() << "no address-space limit under a sanitizer";
	TarnwickAddOn addOn;
	ASSERT_EQ("", addOn.Error());
	EXPECT_TRUE(psdtest::runsWithin(256, [&addOn] {
		BMessage extension;
		const reasoned result = translate_reasoned(addOn, rgb_front(2, 300000, 3579), extension);
		return result.status == B_ERROR && result.reason == "not enough memory for the bitmap";
	}));
}

} // namespace
