// Real samples cut short at lengths spread over the header, the sections, the
// row count table and the data. A PSD cut before its compression word is
// refused with nothing written; any later cut decodes as if the missing bytes
// were zero, even right after a decode that filled the read buffer with other
// bytes. A SCREEN$ cut to another accepted length shows the screen found at
// that length's offset; every other length is refused.

#include "HostileSupport.h"
#include "PsdWriter.h"
#include "ScreenReference.h"

#include <random>
#include <set>

using namespace hostile;
using psdtest::PsdLayout;
using psdtest::psdLayout;

namespace {

// Where the compression word and the row count table end, read from the
// bytes alone; both past the end of the file when its sections are cut.
struct DataLayout {
	size_t dataStart;
	size_t tableEnd;
};

uint32 big(const Bytes& b, size_t at, int size)
{
	uint32 value = 0;
	for (int i = 0; i < size; i++)
		value = value << 8 | b[at + i];
	return value;
}

DataLayout dataLayout(const Bytes& file)
{
	const DataLayout unreadable = {file.size() + 1, file.size() + 1};
	uint64 at = 26;
	for (int section = 0; section < 3; section++) {
		if (at + 4 > file.size())
			return unreadable;
		at += 4 + (uint64)big(file, (size_t)at, 4);
	}
	if (at + 2 > file.size())
		return unreadable;
	const size_t dataStart = (size_t)at + 2;
	const uint64 rows = (uint64)big(file, 12, 2) * big(file, 14, 4);
	const bool packed = big(file, (size_t)at, 2) == 1;
	const uint64 tableEnd = packed ? dataStart + 2 * rows : dataStart;
	return {dataStart, (size_t)std::min<uint64>(tableEnd, SIZE_MAX)};
}

// Every length through the header and the first section length, a few on
// each side of the data's start and of the row count table's end, and
// `spread` more evenly over the whole file (every length when spread >= size).
std::vector<size_t> cutLengths(size_t size, const DataLayout& layout, size_t spread)
{
	std::set<size_t> cuts;
	for (size_t n = 0; n <= std::min<size_t>(size, 40); n++)
		cuts.insert(n);
	for (size_t mark : {layout.dataStart, layout.tableEnd}) {
		for (size_t n = mark > 3 ? mark - 3 : 0; n <= mark + 3 && n <= size; n++)
			cuts.insert(n);
	}
	for (size_t i = 0; i <= spread; i++)
		cuts.insert(size * i / spread);
	return std::vector<size_t>(cuts.begin(), cuts.end());
}

Bytes noisePlane(size_t size, unsigned seed)
{
	std::mt19937 random(seed);
	Bytes plane(size);
	for (uint8_t& b : plane)
		b = (uint8_t)(random() | 1); // never 0, so a leaked byte always shows
	return plane;
}

// A raw RGB image of noise, larger than a read block: decoding it leaves its
// bytes in the read buffer.
const Bytes& noiseImage()
{
	static const Bytes image = [] {
		PsdLayout layout;
		layout.width = 200;
		layout.height = 100;
		std::vector<Bytes> planes;
		for (unsigned p = 0; p < 3; p++)
			planes.push_back(noisePlane(200 * 100, p + 1));
		return psdtest::psdRaw(layout, planes);
	}();
	return image;
}

void checkCuts(const Bytes& file, size_t spread)
{
	const DataLayout layout = dataLayout(file);
	const bool decodable = translateMergedPSD(file).status == B_OK;
	for (size_t cut : cutLengths(file.size(), layout, spread)) {
		SCOPED_TRACE(testing::Message() << "cut at " << cut << " of " << file.size());
		const Bytes cutFile(file.begin(), file.begin() + cut);
		Bytes padded = cutFile;
		padded.resize(file.size(), 0);
		const Outcome zeroFilled = translateMergedPSD(padded);

		ASSERT_EQ(B_OK, translatePSD(noiseImage()).status);
		// Left to choose, the add-on may render the layers of a file cut
		// before its merged image; either way it reads safely.
		ASSERT_TRUE(untouchedOrBitmap(translatePSD(cutFile), B_RGBA32));
		const Outcome outcome = translateMergedPSD(cutFile);
		ASSERT_TRUE(untouchedOrBitmap(outcome, B_RGBA32));
		if (!decodable || cut < layout.dataStart) {
			ASSERT_EQ(B_ERROR, outcome.status);
		} else {
			ASSERT_EQ(B_OK, outcome.status);
			ASSERT_EQ(zeroFilled.bytes, outcome.bytes);
		}
	}
}

struct BuiltSample {
	uint16_t mode, depth, channels;
};

std::vector<Bytes> builtSamples()
{
	const BuiltSample samples[] = {{0, 1, 1},  {1, 8, 2}, {1, 16, 1}, {2, 8, 1}, {3, 8, 4},
	                               {3, 16, 3}, {4, 8, 5}, {7, 8, 3},  {8, 8, 1}, {9, 16, 3}};
	std::vector<Bytes> files;
	for (const BuiltSample& s : samples) {
		PsdLayout layout = psdLayout(s.mode, s.depth, s.channels, 23, 11);
		layout.imageResources = Bytes(9, 0x42);
		if (s.mode == 2)
			layout.colorModeData = noisePlane(768, 7);
		std::vector<Bytes> planes;
		for (unsigned p = 0; p < s.channels; p++) {
			// Runs as well as noise, so that PackBits packs both ways.
			Bytes plane = noisePlane(layout.RowBytes() * layout.height, p + 10 * s.mode);
			std::fill(plane.begin() + plane.size() / 3, plane.begin() + plane.size() / 2, 0x66);
			planes.push_back(plane);
		}
		files.push_back(psdtest::psdRaw(layout, planes));
		files.push_back(psdtest::psdPackBits(layout, planes));
	}
	return files;
}

TEST(HostileTruncation, BuiltPsdsCutAtEveryLength)
{
	for (const Bytes& file : builtSamples()) {
		SCOPED_TRACE(testing::Message()
		             << "mode " << big(file, 24, 2) << ", depth " << big(file, 22, 2)
		             << ", compression " << big(file, dataLayout(file).dataStart - 2, 2));
		checkCuts(file, file.size());
	}
}

TEST(HostileTruncation, ExamplePsdsCutAtSpreadLengths)
{
	const std::vector<std::string> examples = filesIn(EXAMPLES_DIR, ".psd");
	ASSERT_FALSE(examples.empty()) << "no .psd in " << EXAMPLES_DIR;
	for (const std::string& path : examples) {
		SCOPED_TRACE(path);
		checkCuts(readFile(path), 300);
	}
}

TEST(HostileTruncation, SharedCorpusPsdsCutAtSpreadLengths)
{
	const std::vector<std::string> files = filesIn(SHARED_CORPUS_DIR "/psd", ".psd");
	if (files.empty())
		GTEST_SKIP() << "no shared corpus at " << SHARED_CORPUS_DIR;
	for (const std::string& path : files) {
		SCOPED_TRACE(path);
		checkCuts(readFile(path), 40);
	}
}

// The zero-filled comparison above trusts the add-on for the reference; here
// the expected pixels come from the planes themselves.
TEST(HostileTruncation, RawSamplesPastTheCutAreZero)
{
	PsdLayout layout;
	layout.width = 150;
	layout.height = 60; // each plane 9000 bytes, so the planes span two read blocks
	std::vector<Bytes> planes;
	for (unsigned p = 0; p < 3; p++)
		planes.push_back(noisePlane(150 * 60, 20 + p));
	const Bytes file = psdtest::psdRaw(layout, planes);
	const size_t dataStart = dataLayout(file).dataStart;
	const size_t count = 150 * 60;

	for (size_t cut : {dataStart, dataStart + 1, dataStart + 8999, dataStart + 9000,
	                   dataStart + 16384, dataStart + 20000, file.size() - 1}) {
		SCOPED_TRACE(cut);
		ASSERT_EQ(B_OK, translatePSD(noiseImage()).status);
		const Bytes pixels = pixelsOf(translatePSD(Bytes(file.begin(), file.begin() + cut)));
		ASSERT_EQ(4 * count, pixels.size());
		Bytes expected(4 * count);
		for (size_t i = 0; i < count; i++) {
			for (int p = 0; p < 3; p++) {
				const size_t at = dataStart + p * count + i;
				expected[4 * i + 2 - p] = at < cut ? planes[p][i] : 0;
			}
			expected[4 * i + 3] = 255;
		}
		ASSERT_EQ(expected, pixels);
	}
}

TEST(HostileTruncation, ScreensCutAtEveryLength)
{
	const std::vector<std::string> screens = filesIn(EXAMPLES_DIR, ".scr");
	ASSERT_FALSE(screens.empty()) << "no .scr in " << EXAMPLES_DIR;
	for (const std::string& path : screens) {
		SCOPED_TRACE(path);
		const Bytes file = readFile(path);
		for (size_t cut = 0; cut <= file.size(); cut++) {
			SCOPED_TRACE(cut);
			const Bytes cutFile(file.begin(), file.begin() + cut);
			const Outcome outcome = translateScreen(cutFile);
			// A SCREEN$ info is the host's word that the stream is a screen, so a
			// cut at the length of another form reads as that form.
			const Bytes expected = screenReferenceBitmap(cutFile.data(), cut, true);
			if (expected.empty()) {
				ASSERT_EQ(B_NO_TRANSLATOR, outcome.status);
				ASSERT_TRUE(untouchedOrBitmap(outcome, B_CMAP8));
				continue;
			}
			ASSERT_EQ(B_OK, outcome.status);
			ASSERT_EQ(expected, outcome.bytes);
		}
	}
}

} // namespace
