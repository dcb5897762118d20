#include "TarnwickAddOn.h"
#include "TestStreams.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint32 kBits = 0x62697473;
const uint32 kPSD = 0x70736420;

class TarnwickIdentity : public testing::Test {
protected:
	void SetUp() override { ASSERT_EQ("", fAddOn.Error()); }
	TarnwickAddOn fAddOn;
};

// The whole 251-byte field: the text, its NUL, and zeros after it.
void expect_field(const char* expected, const char (&field)[B_MIME_STRING_LENGTH])
{
	char padded[B_MIME_STRING_LENGTH] = {};
	strcpy(padded, expected);
	EXPECT_EQ(0, memcmp(padded, field, sizeof(padded))) << "field holding " << field;
}

void expect_terminator(const translation_format& row)
{
	EXPECT_EQ(0u, row.type);
	EXPECT_EQ(0u, row.group);
	EXPECT_EQ(0.0f, row.quality);
	EXPECT_EQ(0.0f, row.capability);
	expect_field("", row.MIME);
	expect_field("", row.name);
}

TEST_F(TarnwickIdentity, ExportsItsNameVersionAndFormatTables)
{
	EXPECT_STREQ("PSD Images", fAddOn.name);
	EXPECT_STREQ("Reads images in the Adobe Photoshop\xC2\xAE format.", fAddOn.info);
	EXPECT_EQ(100, *fAddOn.version);

	const translation_format& input = fAddOn.inputFormats[0];
	EXPECT_EQ(kPSD, input.type);
	EXPECT_EQ(kBits, input.group);
	EXPECT_EQ(0.5f, input.quality);
	EXPECT_EQ(0.5f, input.capability);
	expect_field("image/x-psd", input.MIME);
	expect_field("PSD Adobe Photoshop\xC2\xAE format", input.name);
	expect_terminator(fAddOn.inputFormats[1]);

	const translation_format& output = fAddOn.outputFormats[0];
	EXPECT_EQ(kBits, output.type);
	EXPECT_EQ(kBits, output.group);
	EXPECT_EQ(0.5f, output.quality);
	EXPECT_EQ(0.5f, output.capability);
	expect_field("image/x-be-bitmap", output.MIME);
	expect_field("Be Bitmap Format (Pellory)", output.name);
	expect_terminator(fAddOn.outputFormats[1]);
}

const std::vector<uint8_t> kPSDStart = {'8', 'B', 'P', 'S', 0, 1};

translator_info marked_info()
{
	translator_info info;
	memset(&info, 0xA5, sizeof(info));
	return info;
}

TEST_F(TarnwickIdentity, SixBytesOfSignatureAndVersionAreEnough)
{
	for (uint32 outType : {0u, kBits}) {
		CountingInput input(kPSDStart);
		translator_info info = marked_info();
		info.translator = 77;
		ASSERT_EQ(B_OK, fAddOn.identify(&input, nullptr, nullptr, &info, outType));
		EXPECT_EQ(kPSD, info.type);
		EXPECT_EQ(kBits, info.group);
		EXPECT_EQ(0.5f, info.quality);
		EXPECT_EQ(0.5f, info.capability);
		EXPECT_STREQ("PSD Adobe Photoshop\xC2\xAE format", info.name);
		EXPECT_STREQ("image/x-psd", info.MIME);
		EXPECT_EQ(77, (int)info.translator);
		EXPECT_EQ(6, input.Position());
	}
}

TEST_F(TarnwickIdentity, FormatHintIsNotConsulted)
{
	CountingInput input(kPSDStart);
	translation_format hint = fAddOn.outputFormats[0];
	translator_info info = marked_info();
	EXPECT_EQ(B_OK, fAddOn.identify(&input, &hint, nullptr, &info, 0));
}

TEST_F(TarnwickIdentity, OtherOutputTypesAreRefusedWithoutReading)
{
	for (uint32 outType : {kPSD, 1u, 0xFFFFFFFFu}) {
		CountingInput input(kPSDStart);
		translator_info info = marked_info();
		EXPECT_EQ(B_NO_TRANSLATOR, fAddOn.identify(&input, nullptr, nullptr, &info, outType));
		EXPECT_EQ(0, input.Reads());
		translator_info untouched = marked_info();
		EXPECT_EQ(0, memcmp(&untouched, &info, sizeof(info)));
	}
}

TEST_F(TarnwickIdentity, RefusesWhatIsNeitherPSDNorPSB)
{
	const std::vector<std::vector<uint8_t>> refused = {
	    {},
	    {'8', 'B', 'P'},
	    {'8', 'B', 'P', 'S', 0},
	    {'8', 'B', 'P', 'S', 0, 3},
	    {'8', 'B', 'P', 'S', 0, 0},
	    {'8', 'B', 'P', 'S', 1, 1},
	    {'8', 'B', 'P', 'T', 0, 1},
	    {'8', 'B', 'P', 's', 0, 1},
	    {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
	};
	for (const std::vector<uint8_t>& bytes : refused) {
		CountingInput input(bytes);
		translator_info info = marked_info();
		EXPECT_EQ(B_NO_TRANSLATOR, fAddOn.identify(&input, nullptr, nullptr, &info, 0))
		    << testing::PrintToString(bytes);
		translator_info untouched = marked_info();
		EXPECT_EQ(0, memcmp(&untouched, &info, sizeof(info)));
	}
}

TEST_F(TarnwickIdentity, UndecodableColourModeIsStillIdentified)
{
	std::vector<uint8_t> bytes = kPSDStart;
	bytes.resize(26, 0);
	bytes[25] = 6;
	CountingInput input(bytes);
	translator_info info = marked_info();
	EXPECT_EQ(B_OK, fAddOn.identify(&input, nullptr, nullptr, &info, 0));
}

} // namespace
