// PSD headers and image data that lie: huge sizes in a few hundred bytes,
// section lengths of 0xFFFFFFFF, odd channel counts, undefined depths and
// compressions, planes of nothing but no-op packets, and a stream that
// cannot seek. Each gets the status Tarnwick promises and an output that is
// untouched or one complete bitmap, whatever an earlier decode left behind.

#include "HostileSupport.h"
#include "PsdWriter.h"

#include <File.h>
#include <TranslatorFormats.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

using namespace hostile;
using psdtest::PsdLayout;
using psdtest::psdLayout;

namespace {

const uint16_t kModes[] = {0, 1, 2, 3, 4, 7, 8, 9};

// The depth each mode reads at 8 bits (bitmap: 1).
uint16_t usualDepth(uint16_t mode)
{
	return mode == 0 ? 1 : 8;
}

// Palette entry 0 is red 0x10, green 0x20, blue 0x30.
Bytes palette()
{
	Bytes colors(768, 0);
	colors[0] = 0x10;
	colors[256] = 0x20;
	colors[512] = 0x30;
	return colors;
}

// Everything up to and including the compression word, then `data`.
Bytes psdFile(uint16_t mode, uint16_t depth, uint16_t channels, uint32_t width, uint32_t height,
              uint16_t compression, const Bytes& data = Bytes(),
              const Bytes& imageResources = Bytes())
{
	PsdLayout layout = psdLayout(mode, depth, channels, width, height);
	layout.imageResources = imageResources;
	if (mode == 2)
		layout.colorModeData = palette();
	Bytes file = psdtest::psdFrontMatter(layout);
	psdtest::appendBig16(file, compression);
	file.insert(file.end(), data.begin(), data.end());
	return file;
}

// The pixel (bytes blue, green, red, alpha) that samples of 0 give.
uint32_t zeroSamplePixel(uint16_t mode)
{
	const uint8_t white[4] = {255, 255, 255, 255}, black[4] = {0, 0, 0, 255};
	const uint8_t paletteZero[4] = {0x30, 0x20, 0x10, 255};
	const uint8_t* bytes = mode == 0 ? white : mode == 2 ? paletteZero : black;
	uint32_t pixel;
	memcpy(&pixel, bytes, 4);
	return pixel;
}

bool allPixelsAre(const Bytes& pixels, uint32_t pixel)
{
	for (size_t i = 0; i + 4 <= pixels.size(); i += 4) {
		if (memcmp(&pixels[i], &pixel, 4) != 0)
			return false;
	}
	return pixels.size() % 4 == 0;
}

// A raw RGB image of noise larger than a read block, decoded before the image
// under test so that stale buffer bytes would show in it.
void fillReadBufferWithNoise()
{
	PsdLayout layout;
	layout.width = 128;
	layout.height = 64;
	Bytes plane(128 * 64);
	for (size_t i = 0; i < plane.size(); i++)
		plane[i] = (uint8_t)(i * 7 + 1) | 0x80;
	static const Bytes noise = psdtest::psdRaw(layout, {plane, plane, plane});
	ASSERT_EQ(B_OK, translatePSD(noise).status);
}

// Translated twice, after different earlier decodes: the outputs agree.
Outcome translateFresh(const Bytes& file)
{
	const Outcome first = translatePSD(file);
	fillReadBufferWithNoise();
	const Outcome second = translatePSD(file);
	EXPECT_EQ(first.status, second.status);
	EXPECT_EQ(first.bytes, second.bytes);
	return second;
}

// Holds only the header of what is written and compares every pixel byte
// with one repeated pixel, so that a 3.6 GB image is never stored.
class PatternOutput : public BPositionIO {
public:
	explicit PatternOutput(uint32_t pixel)
	{
		for (size_t i = 0; i < sizeof(fPattern); i += 4)
			memcpy(fPattern + i, &pixel, 4);
	}

	ssize_t ReadAt(off_t, void*, size_t) override { return B_NOT_SUPPORTED; }
	off_t Seek(off_t position, uint32 mode) override
	{
		return mode == SEEK_SET && position == (off_t)length ? position : (off_t)B_NOT_SUPPORTED;
	}
	off_t Position() const override { return (off_t)length; }

	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override
	{
		if (position != (off_t)length)
			return B_NOT_SUPPORTED;
		const uint8_t* bytes = (const uint8_t*)buffer;
		size_t done = 0;
		for (; length + done < kBitmapHeaderSize && done < size; done++)
			header[length + done] = bytes[done];
		// Pixels start at offset 32, so the pattern's phase is the offset mod 4.
		while (done < size) {
			const size_t phase = (length + done - kBitmapHeaderSize) % 4;
			const size_t chunk = std::min(size - done, sizeof(fPattern) - phase);
			if (memcmp(bytes + done, fPattern + phase, chunk) != 0)
				mismatches++;
			done += chunk;
		}
		length += size;
		writes++;
		return (ssize_t)size;
	}

	uint8_t header[kBitmapHeaderSize] = {};
	uint64_t length = 0;
	uint64_t mismatches = 0;
	int writes = 0;

private:
	uint8_t fPattern[1 << 16];
};

Bytes bigEndianHeader(uint32_t width, uint32_t height)
{
	Bytes header;
	psdtest::appendBig32(header, B_TRANSLATOR_BITMAP);
	for (float edge : {0.0f, 0.0f, (float)(width - 1), (float)(height - 1)}) {
		uint32_t bits;
		memcpy(&bits, &edge, 4);
		psdtest::appendBig32(header, bits);
	}
	psdtest::appendBig32(header, width * 4);
	psdtest::appendBig32(header, B_RGBA32);
	psdtest::appendBig32(header, width * height * 4);
	return header;
}

// 30000 x 30000 pixels fit a Be bitmap (3.6 GB); without image data every
// sample is 0, and the add-on stops reading once the stream has ended.
TEST(HostileHeader, HugeImageWithoutDataHasOnlyZeroSamples)
{
	const uint32_t side = 30000;
	struct Case {
		uint16_t mode, depth, channels, compression;
	};
	for (const Case& c : {Case{3, 8, 3, 1}, Case{0, 1, 1, 0}}) {
		SCOPED_TRACE(testing::Message() << "mode " << c.mode);
		// A few hundred bytes, ending at the compression word.
		const Bytes file = psdFile(c.mode, c.depth, c.channels, side, side, c.compression, Bytes(),
		                           Bytes(250, 0x80));
		CountingInput in(file);
		PatternOutput out(zeroSamplePixel(c.mode));
		translator_info info = {};
		info.type = kPSDType;
		info.translator = addOns().tarnwick;
		ASSERT_EQ(B_OK, addOns().roster.Translate(&in, &info, nullptr, &out, B_TRANSLATOR_BITMAP));
		const Bytes header = bigEndianHeader(side, side);
		EXPECT_EQ(0, memcmp(out.header, header.data(), header.size()));
		EXPECT_EQ(kBitmapHeaderSize + (uint64_t)side * side * 4, out.length);
		EXPECT_EQ(2, out.writes);
		EXPECT_EQ(0u, out.mismatches);
		EXPECT_LT(in.Reads(), 40);
	}
}

TEST(HostileHeader, ImagesWhosePixelsDoNotFit32BitsAreRefused)
{
	const uint32_t sizes[][2] = {
	    {65535, 65535}, {65536, 16384}, {1, 0x40000000}, {0xFFFFFFFF, 0xFFFFFFFF}};
	for (const auto& size : sizes) {
		SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
		const Outcome outcome = translatePSD(psdFile(3, 8, 3, size[0], size[1], 0));
		EXPECT_EQ(B_ERROR, outcome.status);
		EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
	}
}

TEST(HostileHeader, SectionLengthsOfAllOnesAreRefused)
{
	char path[] = "/tmp/hostile-section-XXXXXX";
	const int fd = mkstemp(path);
	ASSERT_GE(fd, 0);
	for (size_t section = 0; section < 3; section++) {
		for (uint16_t mode : kModes) {
			SCOPED_TRACE(testing::Message() << "section " << section << ", mode " << mode);
			Bytes file = psdFile(mode, usualDepth(mode), 4, 8, 8, 0, Bytes(256, 7));
			// Only the colour mode data (an indexed image's palette) has contents.
			const size_t colorModeData = mode == 2 ? 768 : 0;
			const size_t lengthAt[3] = {26, 30 + colorModeData, 34 + colorModeData};
			memset(&file[lengthAt[section]], 0xFF, 4);

			const Outcome outcome = translatePSD(file);
			EXPECT_EQ(B_ERROR, outcome.status);
			EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));

			ASSERT_EQ((ssize_t)file.size(), pwrite(fd, file.data(), file.size(), 0));
			ASSERT_EQ(0, ftruncate(fd, (off_t)file.size()));
			BFile onDisk(path, B_READ_ONLY);
			ASSERT_EQ(B_OK, onDisk.InitCheck());
			const Outcome fromFile = translateWith(addOns().tarnwick, kPSDType, &onDisk);
			EXPECT_EQ(B_ERROR, fromFile.status);
			EXPECT_TRUE(untouchedOrBitmap(fromFile, B_RGBA32));
		}
	}
	close(fd);
	unlink(path);
}

TEST(HostileHeader, OddChannelCounts)
{
	for (uint16_t mode : kModes) {
		for (uint16_t channels : {0, 1, 2, 5, 65535}) {
			for (uint16_t compression : {0, 1}) {
				SCOPED_TRACE(testing::Message() << "mode " << mode << ", " << channels
				                                << " channels, compression " << compression);
				// Data for at most five planes; PackBits as literal packets of 3.
				Bytes data;
				for (int i = 0; i < 5 * 16 * 9; i++) {
					if (compression == 1 && i % 3 == 0)
						data.push_back(2);
					data.push_back((uint8_t)(i * 13 + 5));
				}
				Bytes file = psdFile(mode, usualDepth(mode), channels, 16, 9, compression);
				if (compression == 1)
					file.resize(file.size() + std::min<size_t>(channels, 5) * 9 * 2, 0);
				file.insert(file.end(), data.begin(), data.end());

				const Outcome outcome = translateFresh(file);
				EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
				const bool refused = mode == 4 && channels < 4;
				EXPECT_EQ(refused ? B_ERROR : B_OK, outcome.status);
				// Row counts for 65535 planes reach past the end: no sample is left
				// (the bitmap loader passes one plane's counts whatever the header says).
				if (compression == 1 && channels == 65535 && mode != 0) {
					EXPECT_TRUE(allPixelsAre(pixelsOf(outcome), zeroSamplePixel(mode)));
				}
			}
		}
	}
}

TEST(HostileHeader, UndefinedDepthsAreRefused)
{
	for (uint16_t mode : kModes) {
		for (uint16_t depth : {0, 7, 24, 64}) {
			SCOPED_TRACE(testing::Message() << "mode " << mode << ", depth " << depth);
			const Outcome outcome = translatePSD(psdFile(mode, depth, 4, 8, 8, 0, Bytes(512, 9)));
			EXPECT_EQ(B_ERROR, outcome.status);
			EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
		}
	}
}

TEST(HostileHeader, UnknownCompressionsAreRefused)
{
	for (uint16_t mode : kModes) {
		for (uint16_t compression : {4, 0xFFFF}) {
			SCOPED_TRACE(testing::Message() << "mode " << mode << ", compression " << compression);
			const Outcome outcome =
			    translatePSD(psdFile(mode, usualDepth(mode), 4, 8, 8, compression, Bytes(512, 9)));
			EXPECT_EQ(B_ERROR, outcome.status);
			EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
		}
	}
}

TEST(HostileHeader, PlanesOfNoOpPacketsGiveZeroSamples)
{
	for (uint16_t mode : kModes) {
		for (uint16_t depth : {usualDepth(mode), (uint16_t)16}) {
			if (mode == 0 || mode == 2)
				continue; // below, with one channel and their own depths
			SCOPED_TRACE(testing::Message() << "mode " << mode << ", depth " << depth);
			Bytes file = psdFile(mode, depth, 4, 40, 30, 1, Bytes(4 * 30 * 2, 0));
			file.resize(file.size() + 3 * 16384, 0x80); // past several read blocks
			const Outcome outcome = translateFresh(file);
			ASSERT_EQ(B_OK, outcome.status);
			EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
			EXPECT_TRUE(allPixelsAre(pixelsOf(outcome), zeroSamplePixel(mode)));
		}
	}
	for (uint16_t mode : {0, 2}) {
		SCOPED_TRACE(testing::Message() << "mode " << mode);
		Bytes file = psdFile(mode, usualDepth(mode), 1, 40, 30, 1, Bytes(30 * 2, 0));
		file.resize(file.size() + 20000, 0x80);
		const Outcome outcome = translateFresh(file);
		ASSERT_EQ(B_OK, outcome.status);
		EXPECT_TRUE(allPixelsAre(pixelsOf(outcome), zeroSamplePixel(mode)));
	}
}

// Memory that the next allocation of this size is likely to reuse.
void primeHeap(size_t size, uint8_t byte)
{
	volatile uint8_t* block = (volatile uint8_t*)malloc(size);
	for (size_t i = 0; i < size; i++)
		block[i] = byte;
	free((void*)block);
}

// Seeks fail, so every read happens wherever the stream stands: the header
// check and the loader see different bytes. Whatever comes of it, the output
// depends on the stream alone, never on memory the add-on did not write.
TEST(HostileHeader, UnseekablePsdStreamsGiveOutputOfTheirBytesAlone)
{
	for (uint16_t mode : kModes) {
		for (uint16_t compression : {0, 1}) {
			Bytes file = psdFile(mode, usualDepth(mode), 4, 12, 7, compression);
			file.resize(file.size() + 600, 0x81);
			// Without its first 12 bytes the header is read where it stands;
			// the loader then takes image data for its sections.
			const Bytes shifted(file.begin() + 12, file.end());
			for (const Bytes* stream : {(const Bytes*)&file, &shifted}) {
				for (size_t chunk : {(size_t)1, (size_t)5, SIZE_MAX}) {
					SCOPED_TRACE(testing::Message()
					             << "mode " << mode << ", compression " << compression
					             << ", shifted " << (stream == &shifted) << ", chunk " << chunk);
					Outcome outcomes[2];
					const uint8_t primes[2] = {0x11, 0xEE};
					for (int i = 0; i < 2; i++) {
						PipeInput pipe(*stream, chunk);
						primeHeap(12 * 7 * 4, primes[i]);
						outcomes[i] = translateWith(addOns().tarnwick, kPSDType, &pipe);
						EXPECT_TRUE(untouchedOrBitmap(outcomes[i], B_RGBA32));
					}
					EXPECT_EQ(outcomes[0].status, outcomes[1].status);
					EXPECT_EQ(outcomes[0].bytes, outcomes[1].bytes);
				}
			}
		}
	}
}

// A file rewritten while it is translated: the compression word reads 0 the
// first time and 2 from then on.
class ChangingInput : public BMemoryIO {
public:
	ChangingInput(Bytes& bytes, size_t compressionAt)
	    : BMemoryIO(bytes.data(), bytes.size()), fBytes(bytes), fAt(compressionAt)
	{
	}
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		ssize_t result = BMemoryIO::ReadAt(position, buffer, size);
		if (position <= (off_t)fAt && position + result > (off_t)fAt + 1)
			fBytes[fAt + 1] = 2;
		return result;
	}

private:
	Bytes& fBytes;
	size_t fAt;
};

TEST(HostileHeader, StreamChangingDuringTranslationGivesOutputOfItsBytesAlone)
{
	for (uint16_t mode : kModes) {
		SCOPED_TRACE(testing::Message() << "mode " << mode);
		const Bytes file = psdFile(mode, usualDepth(mode), 4, 12, 7, 0, Bytes(600, 0x81));
		const size_t compressionAt = file.size() - 600 - 2;
		Outcome outcomes[2];
		const uint8_t primes[2] = {0x11, 0xEE};
		for (int i = 0; i < 2; i++) {
			Bytes changing = file;
			ChangingInput in(changing, compressionAt);
			primeHeap(12 * 7 * 4, primes[i]);
			outcomes[i] = translateWith(addOns().tarnwick, kPSDType, &in);
			EXPECT_TRUE(untouchedOrBitmap(outcomes[i], B_RGBA32));
		}
		EXPECT_EQ(outcomes[0].status, outcomes[1].status);
		EXPECT_EQ(outcomes[0].bytes, outcomes[1].bytes);
	}
}

} // namespace
