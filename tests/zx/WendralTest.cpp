// Wendral as a host sees it: loaded from build/translators by the roster,
// fed SCREEN$ streams, its Be bitmap output checked byte for byte.

#include "ScreenReference.h"

#include <Screen.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace {

const uint32 kZXType = 0x5A582020;
const size_t kHeaderBytes = 32;
const size_t kPixelBytes = 256 * 192;
typedef std::vector<uint8> Bytes;

rgb_color spectrum_color(int n)
{
	uint8 level = (n & 8) ? 255 : 170;
	return make_color((n & 2) ? level : 0, (n & 4) ? level : 0, (n & 1) ? level : 0);
}

uint8 index_of(int n)
{
	rgb_color c = spectrum_color(n);
	return BScreen().IndexForColor(c.red, c.green, c.blue, 255);
}

Bytes random_screen(unsigned seed, size_t size = 6912)
{
	std::mt19937 random(seed);
	Bytes screen(size);
	for (uint8& b : screen)
		b = (uint8)random();
	return screen;
}

void set_plus3dos_checksum(Bytes& file)
{
	file[127] = (uint8)std::accumulate(file.begin(), file.begin() + 127, 0);
}

// Random contents in a stream of the given length, with a +3DOS header that
// holds and a ULAplus palette whose 64 entries all differ.
Bytes random_form(size_t length, unsigned seed)
{
	Bytes stream = random_screen(seed, length);
	if (length == 7040) {
		memcpy(stream.data(), "PLUS3DOS\x1A", 9);
		set_plus3dos_checksum(stream);
	}
	if (length == 6976) {
		for (int i = 0; i < 64; i++)
			stream[6912 + i] = (uint8)(37 * i + 11);
	}
	return stream;
}

uint32 big32(const uint8* p)
{
	return (uint32)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// A pixel of a translated Be bitmap stream, as a colour.
rgb_color colour_at(const Bytes& bitmap, int x, int y)
{
	const uint8* row = &bitmap[32 + big32(&bitmap[20]) * y];
	if (big32(&bitmap[24]) == B_RGBA32)
		return make_color(row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]);
	return BScreen().ColorForIndex(row[x]);
}

class WendralTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		testing::internal::CaptureStderr(); // other add-ons may warn; not ours to judge
		ASSERT_EQ(fRoster.AddTranslators(TRANSLATORS_DIR), B_OK);
		testing::internal::GetCapturedStderr();
		ASSERT_EQ(fRoster.FindTranslator("Wendral", &fWendral), B_OK);
	}

	status_t Identify(const Bytes& stream, translator_info* info, uint32 wantType = 0,
	                  uint32 hintType = 0, const char* hintMIME = nullptr)
	{
		BMemoryIO io(stream.data(), stream.size());
		status_t status = fRoster.Identify(&io, nullptr, info, hintType, hintMIME, wantType);
		if (status == B_OK) {
			EXPECT_EQ(info->translator, fWendral);
		}
		return status;
	}

	// Translates with Wendral itself, whoever else is loaded.
	status_t Translate(const Bytes& stream, Bytes* output, uint32 type = kZXType,
	                   uint32 wantType = B_TRANSLATOR_BITMAP)
	{
		translator_info info = {};
		info.type = type;
		info.translator = fWendral;
		BMemoryIO in(stream.data(), stream.size());
		BMallocIO out;
		status_t status = fRoster.Translate(&in, &info, nullptr, &out, wantType);
		const uint8* data = (const uint8*)out.Buffer();
		output->assign(data, data + out.BufferLength());
		return status;
	}

	Bytes Pixels(const Bytes& stream)
	{
		Bytes output;
		EXPECT_EQ(Translate(stream, &output), B_OK);
		if (output.size() != kHeaderBytes + kPixelBytes) {
			ADD_FAILURE() << "output of " << output.size() << " bytes";
			return Bytes(kPixelBytes);
		}
		return Bytes(output.begin() + kHeaderBytes, output.end());
	}

	BTranslatorRoster fRoster;
	translator_id fWendral = 0;
};

} // namespace

TEST_F(WendralTest, ExportsItsIdentityAndFormats)
{
	const char* name;
	const char* info;
	int32 version;
	ASSERT_EQ(fRoster.GetTranslatorInfo(fWendral, &name, &info, &version), B_OK);
	EXPECT_EQ(version, 210);
	EXPECT_GT(strlen(info), 0u);
	EXPECT_EQ(strchr(info, '\n'), nullptr);

	const translation_format* formats;
	int32 count;
	ASSERT_EQ(fRoster.GetInputFormats(fWendral, &formats, &count), B_OK);
	ASSERT_EQ(count, 1);
	EXPECT_EQ(formats[0].type, kZXType);
	EXPECT_EQ(formats[0].group, (uint32)B_TRANSLATOR_BITMAP);
	EXPECT_EQ(formats[0].quality, 0.9f);
	EXPECT_EQ(formats[0].capability, 0.8f);
	EXPECT_STREQ(formats[0].MIME, "image/x-zx");
	EXPECT_STREQ(formats[0].name, "ZX Spectrum SCREEN$");
	// The whole terminator row is zero, and so is every string byte after the NUL.
	translation_format zero = {};
	EXPECT_EQ(memcmp(&formats[1], &zero, sizeof(zero)), 0);
	for (size_t i = strlen(formats[0].MIME); i < sizeof(formats[0].MIME); i++)
		ASSERT_EQ(formats[0].MIME[i], 0);
	for (size_t i = strlen(formats[0].name); i < sizeof(formats[0].name); i++)
		ASSERT_EQ(formats[0].name[i], 0);

	ASSERT_EQ(fRoster.GetOutputFormats(fWendral, &formats, &count), B_OK);
	ASSERT_EQ(count, 1);
	EXPECT_EQ(formats[0].type, (uint32)B_TRANSLATOR_BITMAP);
	EXPECT_EQ(formats[0].quality, 0.3f);
	EXPECT_EQ(formats[0].capability, 0.5f);
	EXPECT_STREQ(formats[0].MIME, "image/x-be-bitmap");
	EXPECT_STREQ(formats[0].name, "Be bitmap (B_CMAP8; B_RGBA32 for ULAplus and gigascreen)");
	EXPECT_EQ(memcmp(&formats[1], &zero, sizeof(zero)), 0);

	BRect extent;
	EXPECT_EQ(fRoster.MakeConfigurationView(fWendral, nullptr, nullptr, &extent), B_NOT_SUPPORTED);
}

TEST_F(WendralTest, IdentifiesItsFormsByLength)
{
	for (size_t length : {6912, 6921, 6924, 7396, 6976, 12289, 13824}) {
		translator_info info;
		ASSERT_EQ(Identify(Bytes(length, 0x55), &info), B_OK) << length;
		EXPECT_EQ(info.type, kZXType);
		EXPECT_EQ(info.group, (uint32)B_TRANSLATOR_BITMAP);
		EXPECT_EQ(info.quality, 0.9f);
		EXPECT_EQ(info.capability, 0.8f);
		EXPECT_STREQ(info.name, "ZX Spectrum SCREEN$");
		EXPECT_STREQ(info.MIME, "image/x-zx");
	}
	// 7040 bytes of 0x55 lack the +3DOS signature.
	for (size_t length : {0, 1, 6911, 6913, 6920, 6925, 7040, 7395, 7397, 13823, 13825, 100000}) {
		translator_info info;
		EXPECT_EQ(Identify(Bytes(length, 0x55), &info), B_NO_TRANSLATOR) << length;
		Bytes output;
		EXPECT_EQ(Translate(Bytes(length, 0x55), &output), B_NO_TRANSLATOR) << length;
		EXPECT_TRUE(output.empty());
	}
}

TEST_F(WendralTest, OnlyBeBitmapOutputIsOffered)
{
	Bytes screen(6912, 0);
	translator_info info;
	EXPECT_EQ(Identify(screen, &info, B_TRANSLATOR_BITMAP), B_OK);
	EXPECT_EQ(Identify(screen, &info, 0x504E4720), B_NO_TRANSLATOR); // 'PNG '

	Bytes output;
	EXPECT_EQ(Translate(screen, &output, kZXType, 0), B_OK);
	EXPECT_EQ(output.size(), kHeaderBytes + kPixelBytes);
	EXPECT_EQ(Translate(screen, &output, kZXType, 0x504E4720), B_NO_TRANSLATOR);
	EXPECT_TRUE(output.empty());
	// A Be bitmap is never taken as input, nor is any other type.
	EXPECT_EQ(Translate(screen, &output, B_TRANSLATOR_BITMAP), B_NO_TRANSLATOR);
	EXPECT_TRUE(output.empty());
	EXPECT_EQ(Translate(screen, &output, 0), B_NO_TRANSLATOR);
}

TEST_F(WendralTest, BlankScreenIsABlackBitmapWithABigEndianHeader)
{
	Bytes output;
	ASSERT_EQ(Translate(Bytes(6912, 0), &output), B_OK);
	ASSERT_EQ(output.size(), kHeaderBytes + kPixelBytes);
	const uint8 header[32] = {0x62, 0x69, 0x74, 0x73, 0, 0,    0,    0, 0,    0, 0,
	                          0,    0x43, 0x7F, 0,    0, 0x43, 0x3F, 0, 0,    0, 0,
	                          0x01, 0,    0,    0,    0, 0x04, 0,    0, 0xC0, 0};
	EXPECT_EQ(memcmp(output.data(), header, 32), 0);
	Bytes black(kPixelBytes, BScreen().IndexForColor(0, 0, 0));
	EXPECT_TRUE(Bytes(output.begin() + 32, output.end()) == black);
}

TEST_F(WendralTest, ScreenOffsetsFeedTheirPixelRows)
{
	const uint8 white = index_of(15), black = index_of(0);
	struct Case {
		size_t offset;
		int row;
		int firstPixel;
	} cases[] = {{0, 0, 0}, {1, 0, 8}, {256, 1, 0}, {32, 8, 0}, {2048, 64, 0}, {6143, 191, 248}};
	for (const Case& c : cases) {
		Bytes screen(6912, 0);
		memset(&screen[6144], 0x47, 768); // bright white ink on black paper
		screen[c.offset] = 0xF0;
		Bytes pixels = Pixels(screen);
		for (int x = 0; x < 256; x++) {
			for (int y = 0; y < 192; y++) {
				bool lit = y == c.row && x >= c.firstPixel && x < c.firstPixel + 4;
				ASSERT_EQ(pixels[256 * y + x], lit ? white : black)
				    << "offset " << c.offset << " pixel " << x << "," << y;
			}
		}
	}
}

TEST_F(WendralTest, AttributesColourTheirCells)
{
	Bytes screen(6912, 0);
	memset(screen.data(), 0xF0, 6144);
	screen[6144 + 32] = 0x16 | 0x40; // cell (1, 0): bright red paper, bright cyan ink
	screen[6144 + 33] = 0x16;        // cell (1, 1): the same without bright
	Bytes pixels = Pixels(screen);
	for (int y = 8; y < 16; y++) {
		for (int x = 0; x < 8; x++)
			ASSERT_EQ(pixels[256 * y + x], index_of(x < 4 ? 14 : 10)) << x << "," << y;
		for (int x = 8; x < 16; x++)
			ASSERT_EQ(pixels[256 * y + x], index_of(x < 12 ? 6 : 2)) << x << "," << y;
	}
	// Row 7 belongs to cell row 0, whose attributes are zero: black on black.
	EXPECT_EQ(pixels[256 * 7], index_of(0));
	EXPECT_EQ(pixels[256 * 16], index_of(0));
}

TEST_F(WendralTest, EveryColourNumberMapsToItsPaletteColour)
{
	BScreen screen;
	for (int n = 0; n < 16; n++) {
		Bytes data(6912, 0); // all paper
		memset(&data[6144], ((n & 7) << 3) | ((n & 8) ? 0x40 : 0), 768);
		Bytes pixels = Pixels(data);
		EXPECT_EQ(screen.ColorForIndex(pixels[0]), spectrum_color(n)) << "colour " << n;
		EXPECT_EQ(pixels[0], pixels[kPixelBytes - 1]);
	}
	EXPECT_EQ(index_of(0), index_of(8));
}

TEST_F(WendralTest, FlashChangesNothing)
{
	Bytes screen = random_screen(7);
	Bytes flashing = screen;
	for (size_t i = 6144; i < 6912; i++) {
		screen[i] &= 0x7F;
		flashing[i] |= 0x80;
	}
	EXPECT_TRUE(Pixels(screen) == Pixels(flashing));
}

TEST_F(WendralTest, PrefixAndSuffixBytesDoNotShow)
{
	Bytes screen = random_screen(11);
	Bytes expected = Pixels(screen);
	Bytes noise = random_screen(12);
	struct Layout {
		size_t prefix;
		size_t suffix;
	} layouts[] = {{9, 0}, {12, 0}, {265, 219}};
	for (const Layout& layout : layouts) {
		Bytes stream(noise.begin(), noise.begin() + layout.prefix);
		stream.insert(stream.end(), screen.begin(), screen.end());
		stream.insert(stream.end(), noise.end() - layout.suffix, noise.end());
		EXPECT_TRUE(Pixels(stream) == expected) << "prefix " << layout.prefix;
	}
}

TEST_F(WendralTest, ShortWritesFail)
{
	Bytes input(6912, 0);
	translator_info info = {};
	info.type = kZXType;
	info.translator = fWendral;
	for (size_t room : {10, 32, 32 + 1000}) {
		Bytes space(room, 0xEE);
		BMemoryIO in(input.data(), input.size());
		BMemoryIO out(space.data(), space.size());
		EXPECT_EQ(fRoster.Translate(&in, &info, nullptr, &out, B_TRANSLATOR_BITMAP), B_ERROR)
		    << room;
	}
}

TEST_F(WendralTest, EveryFormMatchesAnIndependentReading)
{
	for (size_t length : {6912, 6921, 6924, 7396, 6144, 6976, 7040, 12288, 12289, 13824}) {
		for (unsigned seed = 1; seed <= 2; seed++) {
			Bytes stream = random_form(length, seed);
			translator_info info;
			ASSERT_EQ(Identify(stream, &info, 0, 0, "image/x-zx-screen"), B_OK) << length;
			Bytes output;
			EXPECT_EQ(Translate(stream, &output), B_OK);
			Bytes expected = screenReferenceBitmap(stream.data(), stream.size(), true);
			EXPECT_TRUE(output == expected) << length << " seed " << seed;
		}
	}
}

// Colours worked out by hand from the layouts, so that a misreading that the
// add-on and the reference share still shows.
TEST_F(WendralTest, HandCheckedPixelsOfEachForm)
{
	Bytes ulaplus(6976, 0);
	memset(ulaplus.data(), 0xF0, 6144);
	for (int cell = 0; cell < 4; cell++)
		ulaplus[6144 + cell] = (uint8)(0x11 | cell << 6); // ink 1, paper 2; flash, bright
	for (int i = 0; i < 64; i++)
		ulaplus[6912 + i] = (uint8)(37 * i + 11);
	ulaplus[6912 + 1] = 0xE3;  // first table's ink 1
	ulaplus[6912 + 26] = 0x4E; // bright: second table's paper 2
	ulaplus[6912 + 33] = 0x1D; // flash: third table's ink 1
	ulaplus[6912 + 58] = 0x02; // both: fourth table's paper 2

	Bytes giga(13824, 0);
	memset(giga.data(), 0xFF, 6144);
	memset(&giga[6144], 0x42, 768);        // bright red ink
	memset(&giga[6912 + 6144], 0x08, 768); // blue paper

	Bytes hiRes(12289, 0);
	hiRes[0] = 0xFF;
	hiRes[6144] = 0x0F;
	hiRes[12288] = 0x10 | 0x47; // ink 2; the other bits play no part

	Bytes hiColour(12288, 0);
	hiColour[0] = hiColour[256] = 0xFF; // column 0 of rows 0 and 1
	hiColour[6144] = 0x42;
	hiColour[6144 + 256] = 0x04;

	Bytes bare(6144, 0);
	bare[0] = 0x80;

	struct Pixel {
		const Bytes* stream;
		int x, y;
		rgb_color colour;
	} pixels[] = {
	    {&ulaplus, 0, 0, make_color(0, 255, 255)},  {&ulaplus, 12, 0, make_color(109, 73, 182)},
	    {&ulaplus, 16, 0, make_color(255, 0, 109)}, {&ulaplus, 28, 0, make_color(0, 0, 182)},
	    {&giga, 100, 100, make_color(128, 0, 85)},  {&hiRes, 0, 0, make_color(170, 0, 0)},
	    {&hiRes, 8, 0, make_color(0, 170, 170)},    {&hiRes, 12, 0, make_color(170, 0, 0)},
	    {&hiRes, 16, 0, make_color(0, 170, 170)},   {&hiRes, 511, 191, make_color(0, 170, 170)},
	    {&hiColour, 0, 0, make_color(255, 0, 0)},   {&hiColour, 0, 1, make_color(0, 170, 0)},
	    {&bare, 0, 0, make_color(0, 0, 0)},         {&bare, 1, 0, make_color(170, 170, 170)},
	};
	for (const Pixel& pixel : pixels) {
		Bytes output;
		ASSERT_EQ(Translate(*pixel.stream, &output), B_OK);
		EXPECT_EQ(colour_at(output, pixel.x, pixel.y), pixel.colour)
		    << pixel.stream->size() << " bytes, pixel " << pixel.x << "," << pixel.y;
	}
}

TEST_F(WendralTest, BareBitmapLengthsNeedTheScreenHint)
{
	struct Hint {
		uint32 type;
		const char* mime;
		bool namesScreen;
	} hints[] = {{0, nullptr, false},
	             {0x504E4720, "image/png", false},
	             {0, "image/x-zx-screenshot", false},
	             {kZXType, nullptr, true},
	             {0, "image/x-zx", true},
	             {0, "image/x-zx-screen", true},
	             {0, "Image/X-ZX-Screen", true}};
	for (size_t length : {6144, 12288}) {
		for (const Hint& hint : hints) {
			translator_info info;
			EXPECT_EQ(Identify(Bytes(length, 0), &info, 0, hint.type, hint.mime),
			          hint.namesScreen ? B_OK : B_NO_TRANSLATOR)
			    << length << " " << hint.type << " " << (hint.mime ? hint.mime : "");
		}
	}
	// The roster's own identification ahead of Translate heeds it too.
	Bytes screen(6144, 0);
	BMemoryIO in(screen.data(), screen.size());
	BMallocIO out;
	EXPECT_EQ(fRoster.Translate(&in, nullptr, nullptr, &out, B_TRANSLATOR_BITMAP), B_NO_TRANSLATOR);
	EXPECT_EQ(out.BufferLength(), 0u);
	EXPECT_EQ(fRoster.Translate(&in, nullptr, nullptr, &out, B_TRANSLATOR_BITMAP, 0, "image/x-zx"),
	          B_OK);
	EXPECT_EQ(out.BufferLength(), kHeaderBytes + kPixelBytes);
}

TEST_F(WendralTest, Plus3DosFilesNeedTheirSignatureAndChecksum)
{
	Bytes good = random_form(7040, 3);
	Bytes badSum = good;
	badSum[127]++;
	Bytes badSignature = good;
	badSignature[4] = '2';
	set_plus3dos_checksum(badSignature);
	Bytes noEndOfFile = good;
	noEndOfFile[8] = 0;
	set_plus3dos_checksum(noEndOfFile);
	for (const Bytes* bad : {&badSum, &badSignature, &noEndOfFile}) {
		translator_info info;
		EXPECT_EQ(Identify(*bad, &info), B_NO_TRANSLATOR);
		Bytes output;
		EXPECT_EQ(Translate(*bad, &output), B_NO_TRANSLATOR);
		EXPECT_TRUE(output.empty());
	}
	translator_info info;
	EXPECT_EQ(Identify(good, &info), B_OK);
	EXPECT_TRUE(Pixels(good) == Pixels(Bytes(good.begin() + 128, good.end())));
}
