// Damaged and truncated files: every kind of merged image decodes, writes
// only inside the pixel buffer, writes every pixel, and gives 0 for every
// missing byte.

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace psdtest;

namespace {

struct Sample {
	const char* name;
	PsdLayout layout;
	bool packed;
	PSDMergedKind kind;
};

std::vector<Sample> samples()
{
	auto layout = [](uint16_t mode, uint16_t channels, uint16_t depth, uint32_t width) {
		PsdLayout l;
		l.mode = mode;
		l.channels = channels;
		l.depth = depth;
		l.width = width;
		l.height = 6;
		if (mode == 2)
			l.colorModeData = Bytes(768, 0x40);
		return l;
	};
	std::vector<Sample> list = {
	    {"RGB 16 PackBits", layout(3, 3, 16, 11), true, PSD_MERGED_RGB},
	    {"RGBA 8 raw", layout(3, 4, 8, 11), false, PSD_MERGED_RGBA},
	    {"gray 16 PackBits", layout(1, 1, 16, 13), true, PSD_MERGED_GRAY},
	    {"indexed PackBits", layout(2, 1, 8, 13), true, PSD_MERGED_INDEXED},
	    {"CMYK 8 PackBits", layout(4, 5, 8, 9), true, PSD_MERGED_CMYK},
	    {"Lab 16 raw", layout(9, 3, 16, 9), false, PSD_MERGED_GRAY},
	    {"bitmap PackBits", layout(0, 1, 1, 21), true, PSD_MERGED_BITMAP},
	};
	for (Sample& s : list)
		s.layout.imageResources = Bytes(10, 0x33);
	return list;
}

Bytes sampleFile(const Sample& s)
{
	std::mt19937 random(s.layout.mode);
	std::vector<Bytes> planes;
	for (int p = 0; p < s.layout.channels; p++) {
		Bytes plane(s.layout.RowBytes() * s.layout.height);
		for (size_t i = 0; i < plane.size(); i++)
			plane[i] = (uint8_t)(i % 5 == 0 ? random() : 0x80 | (i / 4));
		planes.push_back(plane);
	}
	return s.packed ? psdPackBits(s.layout, planes) : psdRaw(s.layout, planes);
}

// Decodes into a guarded buffer twice, over different garbage; both must
// agree (so no pixel is left unwritten) and a failure must write nothing.
std::vector<uint32_t> decodeChecked(const Sample& s, const Bytes& file, status_t* status)
{
	const size_t count = (size_t)s.layout.width * s.layout.height;
	std::vector<uint32_t> results[2];
	status_t statuses[2];
	const uint8_t fills[2] = {0xA5, 0x5A};
	for (int pass = 0; pass < 2; pass++) {
		GuardedPixels pixels(count, fills[pass]);
		statuses[pass] = decodeMerged(file, s.kind, pixels.Data());
		results[pass] = pixels.Copy();
		if (statuses[pass] != B_OK) {
			EXPECT_EQ(std::vector<uint32_t>(count, 0x01010101u * fills[pass]), results[pass]);
		}
	}
	EXPECT_EQ(statuses[0], statuses[1]);
	if (statuses[0] == B_OK) {
		EXPECT_EQ(results[0], results[1]);
	}
	*status = statuses[0];
	return results[0];
}

TEST(PSDRobustness, TruncatedFilesDecodeAsIfZeroPadded)
{
	for (const Sample& s : samples()) {
		SCOPED_TRACE(s.name);
		const Bytes file = sampleFile(s);
		const size_t dataStart = psdFrontMatter(s.layout).size() + 2;
		for (size_t size = 0; size <= file.size(); size++) {
			SCOPED_TRACE(size);
			const Bytes cut(file.begin(), file.begin() + size);
			status_t status;
			if (size < dataStart) {
				decodeChecked(s, cut, &status);
				ASSERT_EQ(B_ERROR, status);
				continue;
			}
			Bytes padded = cut;
			padded.resize(file.size() * 4, 0);
			// The padded decode runs first, so stale bytes of it would show.
			const std::vector<uint32_t> expected = decodeChecked(s, padded, &status);
			ASSERT_EQ(B_OK, status);
			ASSERT_EQ(expected, decodeChecked(s, cut, &status));
			ASSERT_EQ(B_OK, status);
		}
	}
}

TEST(PSDRobustness, DamagedPacketsStayInsideTheBuffer)
{
	std::mt19937 random(12345);
	for (const Sample& s : samples()) {
		SCOPED_TRACE(s.name);
		const Bytes front = psdFrontMatter(s.layout);
		for (int round = 0; round < 300; round++) {
			Bytes file = sampleFile(s);
			// Long repeats, long literals or random bytes anywhere after the
			// compression word.
			const size_t start = front.size() + 2;
			for (int i = random() % 40; i > 0; i--) {
				size_t at = start + random() % (file.size() - start);
				file[at] = round % 3 == 0 ? 0x81 : round % 3 == 1 ? 0x7F : (uint8_t)random();
			}
			status_t status;
			decodeChecked(s, file, &status);
			ASSERT_EQ(B_OK, status);
		}
		// A plane of nothing but no-op headers ends when the data does.
		Bytes noOps = sampleFile(s);
		std::fill(noOps.begin() + front.size() + 2, noOps.end(), 0x80);
		status_t status;
		decodeChecked(s, noOps, &status);
		EXPECT_EQ(B_OK, status);
	}
}

} // namespace
