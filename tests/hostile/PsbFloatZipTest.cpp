// Large documents, float samples and ZIP data that lie: PSB section lengths
// past the file or near 2^64, sizes whose products overflow, zlib streams
// that inflate to far more or far less than the image, broken zlib headers
// and checksums, floats that are NaN, infinite or negative, prediction on
// one-pixel rows. Each is refused with nothing written, or read with zeros
// where the data gives nothing, and never allocates more than the image.
// ZIP planes of many chunks of rows read as the same planes stored raw.

#include "AddressSpaceLimit.h"
#include "HostileSupport.h"
#include "PsdWriter.h"

#include <cmath>
#include <cstring>

using namespace hostile;
using psdtest::PsdLayout;
using psdtest::psdLayout;

namespace {

enum class Expect {
	kRefused,
	kPixels,          // exactly the pixels given
	kPrefixThenZeros, // the pixels given up to some point, then zero samples only
};

struct Case {
	const char* name;
	Bytes file;
	Expect expect;
	Bytes pixels = {};
	// Translated once more in a child whose address space allows this much
	// beyond what it already uses; 0 for none.
	size_t addressSpaceMiB = 0;
};

Bytes plane(size_t size, unsigned seed)
{
	Bytes bytes(size);
	for (size_t i = 0; i < size; i++)
		bytes[i] = (uint8_t)(i * 37 + seed * 101 + (i >> 3)) | 1; // never 0
	return bytes;
}

std::vector<Bytes> planes(const PsdLayout& layout, int count)
{
	std::vector<Bytes> all;
	for (int p = 0; p < count; p++)
		all.push_back(plane(layout.RowBytes() * layout.height, (unsigned)p));
	return all;
}

// The pixels of the same planes stored raw: the plain path reads these.
Bytes rawPixels(const PsdLayout& layout, const std::vector<Bytes>& planeBytes)
{
	PsdLayout raw = layout;
	raw.version = 1;
	return pixelsOf(translatePSD(psdtest::psdRaw(raw, planeBytes)));
}

Bytes concat(Bytes a, const Bytes& b)
{
	a.insert(a.end(), b.begin(), b.end());
	return a;
}

void putBig64(Bytes& file, size_t at, uint64_t value)
{
	for (int i = 0; i < 8; i++)
		file[at + i] = (uint8_t)(value >> (56 - 8 * i));
}

// Pixel bytes of gray samples, opaque.
Bytes grayPixels(const Bytes& samples)
{
	Bytes pixels;
	for (uint8_t s : samples)
		pixels.insert(pixels.end(), {s, s, s, 255});
	return pixels;
}

// The offset of a PSB file's 8-byte layer and mask length, its other
// sections empty.
const size_t kPsbLayerLengthAt = 26 + 4 + 4;

std::vector<Case> sectionAndSizeCases()
{
	std::vector<Case> cases;
	const PsdLayout psb = [] {
		PsdLayout layout = psdLayout(1, 8, 1, 4, 4);
		layout.version = 2;
		return layout;
	}();
	const Bytes psbFile = psdtest::psdRaw(psb, planes(psb, 1));
	for (uint64_t length : {(uint64_t)1 << 40, ~(uint64_t)0 - 15, ~(uint64_t)0}) {
		Bytes file = psbFile;
		putBig64(file, kPsbLayerLengthAt, length);
		cases.push_back({"PSB layer section length past the file", file, Expect::kRefused});
	}
	Bytes resources = psbFile;
	memset(&resources[30], 0xFF, 4);
	cases.push_back({"PSB resources length past the file", resources, Expect::kRefused});
	Bytes shortLength = psbFile;
	shortLength.resize(kPsbLayerLengthAt + 6);
	cases.push_back({"PSB ending inside its 8-byte length", shortLength, Expect::kRefused});

	// Products of PSB sizes that wrap in 32 bits, or reach 4 GiB of bitmap.
	const uint32_t sizes[][2] = {
	    {300000, 300000}, {65536, 16384}, {300001, 1}, {1, 300001}, {300000, 3580}};
	for (const auto& size : sizes) {
		for (uint16_t compression : {1, 3}) {
			PsdLayout layout = psdLayout(3, 32, 4, size[0], size[1]);
			layout.version = 2;
			Bytes file = psdtest::psdFrontMatter(layout);
			psdtest::appendBig16(file, compression);
			cases.push_back({"PSB too large for a Be bitmap", file, Expect::kRefused, {}, 64});
		}
	}
	// 65535 planes' row counts of 4 bytes reach far past the file: no sample.
	PsdLayout manyChannels = psdLayout(1, 8, 65535, 300000, 2);
	manyChannels.version = 2;
	Bytes rowCounts = psdtest::psdFrontMatter(manyChannels);
	psdtest::appendBig16(rowCounts, 1);
	cases.push_back({"PSB row counts past the file", rowCounts, Expect::kPixels,
	                 grayPixels(Bytes(300000 * 2, 0)), 64});
	return cases;
}

std::vector<Case> zipCases()
{
	std::vector<Case> cases;
	const PsdLayout rgb = psdLayout(3, 8, 3, 16, 16);
	const std::vector<Bytes> rgbPlanes = planes(rgb, 3);
	const Bytes rgbPixels = rawPixels(rgb, rgbPlanes);

	// The planes, then 64 MiB more of the stream: cut where the image ends,
	// without inflating (or holding) the rest.
	Bytes more;
	for (const Bytes& p : rgbPlanes)
		more.insert(more.end(), p.begin(), p.end());
	more.resize(more.size() + (64 << 20), 0x5A);
	cases.push_back({"ZIP stream inflating to 64 MiB more",
	                 psdtest::psdZipData(rgb, false, psdtest::zlibStream(more, 1)), Expect::kPixels,
	                 rgbPixels, 32});

	const Bytes stream = psdtest::psdZipStream(rgb, rgbPlanes, false);
	Bytes badChecksum = stream;
	badChecksum.back() ^= 0xFF;
	cases.push_back({"ZIP stream with a wrong checksum",
	                 psdtest::psdZipData(rgb, false, badChecksum), Expect::kPixels, rgbPixels});
	const Bytes zeros = grayPixels(Bytes(16 * 16, 0));
	for (size_t at : {0, 1}) {
		Bytes badHeader = stream;
		badHeader[at] ^= 0x01; // a wrong method, or a check that fails
		cases.push_back({"ZIP stream with a broken header",
		                 psdtest::psdZipData(rgb, false, badHeader), Expect::kPixels, zeros});
	}
	cases.push_back({"ZIP data that is empty", psdtest::psdZipData(rgb, true, Bytes()),
	                 Expect::kPixels, zeros});
	Bytes garbage = Bytes(stream.begin(), stream.begin() + 2);
	garbage.resize(3000, 0xFF); // invalid block types and codes
	cases.push_back({"ZIP stream of garbage", psdtest::psdZipData(rgb, false, garbage),
	                 Expect::kPrefixThenZeros, rgbPixels});

	// Planes of several chunks of rows, and rows longer than a chunk: the
	// same pixels as the planes stored raw.
	const uint32_t sizes[][3] = {{8, 1000, 1200}, {16, 700, 900}, {32, 300, 1000}, {32, 140000, 3}};
	for (const auto& size : sizes) {
		const PsdLayout large = psdLayout(3, (uint16_t)size[0], 3, size[1], size[2]);
		const std::vector<Bytes> largePlanes = planes(large, 3);
		cases.push_back({"ZIP planes of several chunks", psdtest::psdZip(large, largePlanes, true),
		                 Expect::kPixels, rawPixels(large, largePlanes)});
	}

	// A stream of far less than the image, or cut short: the gray samples it
	// gives, then zeros.
	const PsdLayout gray = psdLayout(1, 8, 1, 256, 256);
	const std::vector<Bytes> grayPlane = planes(gray, 1);
	const Bytes grayImage = rawPixels(gray, grayPlane);
	const Bytes oneRow(grayPlane[0].begin(), grayPlane[0].begin() + 256);
	cases.push_back({"ZIP stream of one row",
	                 psdtest::psdZipData(gray, false, psdtest::zlibStream(oneRow)), Expect::kPixels,
	                 concat(Bytes(grayImage.begin(), grayImage.begin() + 4 * 256),
	                        grayPixels(Bytes(255 * 256, 0)))});
	const Bytes grayStream = psdtest::psdZipStream(gray, grayPlane, false, 0); // stored blocks
	for (size_t cut : {grayStream.size() / 2, grayStream.size() - 4, (size_t)7}) {
		cases.push_back(
		    {"ZIP stream cut short",
		     psdtest::psdZipData(gray, false, Bytes(grayStream.begin(), grayStream.begin() + cut)),
		     Expect::kPrefixThenZeros, grayImage});
	}
	return cases;
}

std::vector<Case> sampleCases()
{
	std::vector<Case> cases;
	// Colour samples: NaN either sign, infinities, negatives, above 1, the
	// least denormal; each clamps (or reads as 0) before the curve.
	const std::vector<float> odd = {NAN, -NAN, INFINITY, -INFINITY, -1.0f, -0.0f, 2.0f, 1e-45f};
	const Bytes oddBytes = {0, 0, 255, 0, 0, 0, 255, 0};
	const PsdLayout floats = psdLayout(1, 32, 1, 8, 1);
	const std::vector<Bytes> floatPlane = {psdtest::floatSamples(odd)};
	cases.push_back({"odd floats, raw", psdtest::psdRaw(floats, floatPlane), Expect::kPixels,
	                 grayPixels(oddBytes)});
	cases.push_back({"odd floats, ZIP with prediction", psdtest::psdZip(floats, floatPlane, true),
	                 Expect::kPixels, grayPixels(oddBytes)});
	PsdLayout psbFloats = floats;
	psbFloats.version = 2;
	cases.push_back({"odd floats, PSB PackBits", psdtest::psdPackBits(psbFloats, floatPlane),
	                 Expect::kPixels, grayPixels(oddBytes)});

	// One-pixel rows: nothing to predict from, at every sample width.
	for (uint16_t depth : {8, 16, 32}) {
		const PsdLayout column = psdLayout(1, depth, 1, 1, 6);
		const std::vector<float> values = {0.0f, 1.0f, 0.5f, 0.25f, 0.75f, 0.01f};
		const std::vector<Bytes> columnPlane = {depth == 32 ? psdtest::floatSamples(values)
		                                                    : plane(column.RowBytes() * 6, depth)};
		cases.push_back({"one-pixel rows with prediction",
		                 psdtest::psdZip(column, columnPlane, true), Expect::kPixels,
		                 rawPixels(column, columnPlane)});
	}
	return cases;
}

// The pixels match `expected` up to some pixel and are zero samples (opaque
// black) from there on.
bool prefixThenZeros(const Bytes& pixels, const Bytes& expected)
{
	if (pixels.size() != expected.size())
		return false;
	size_t i = 0;
	while (i < pixels.size() && pixels[i] == expected[i])
		i++;
	for (i -= i % 4; i < pixels.size(); i += 4) {
		if (memcmp(&pixels[i], "\0\0\0\xFF", 4) != 0)
			return false;
	}
	return true;
}

bool asExpected(const Case& c, const Outcome& outcome)
{
	if (!untouchedOrBitmap(outcome, B_RGBA32))
		return false;
	switch (c.expect) {
	case Expect::kRefused:
		return outcome.status == B_ERROR;
	case Expect::kPixels:
		return outcome.status == B_OK && pixelsOf(outcome) == c.pixels;
	case Expect::kPrefixThenZeros:
		return outcome.status == B_OK && prefixThenZeros(pixelsOf(outcome), c.pixels);
	}
	return false;
}

TEST(HostileBeyond, RefusedOrReadWithZeros)
{
	std::vector<Case> cases = sectionAndSizeCases();
	for (std::vector<Case> more : {zipCases(), sampleCases()})
		cases.insert(cases.end(), more.begin(), more.end());
	for (const Case& c : cases) {
		SCOPED_TRACE(c.name);
		const Outcome outcome = translatePSD(c.file);
		EXPECT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
		EXPECT_TRUE(asExpected(c, outcome)) << "status " << outcome.status;
		if (c.addressSpaceMiB != 0 && psdtest::kAddressSpaceLimitWorks) {
			addOns(); // loaded before the limit
			EXPECT_TRUE(psdtest::runsWithin(c.addressSpaceMiB,
			                                [&c] { return asExpected(c, translatePSD(c.file)); }));
		}
	}
}

} // namespace
