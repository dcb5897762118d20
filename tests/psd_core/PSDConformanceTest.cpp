// Decodes every file of the shared corpus as the add-on would for each
// settings case and compares the SHA-256 of the whole Be bitmap stream.

#include "CorpusTable.h"
#include <core/PSDCore.h>
#include <core/PSDMergedImage.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(SHARED_CORPUS_DIR) + "/psd";

std::vector<uint8> readFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8>(std::istreambuf_iterator<char>(in), {});
}

void appendBig32(std::vector<uint8>& out, uint32 value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		out.push_back((uint8)(value >> shift));
}

void appendBigFloat(std::vector<uint8>& out, float value)
{
	uint32 bits;
	memcpy(&bits, &value, sizeof(bits));
	appendBig32(out, bits);
}

// The kind the add-on decodes the merged image as, under the settings
// alpha4 and multichannelRead.
PSDMergedKind kindLikeAddOn(const PSDDocument& document, bool alpha4, int multichannelRead)
{
	switch (document.mode) {
	case PSD_MODE_BITMAP:
		return PSD_MERGED_BITMAP;
	case PSD_MODE_INDEXED:
		return PSD_MERGED_INDEXED;
	case PSD_MODE_RGB:
		return document.channels >= 4 && alpha4 ? PSD_MERGED_RGBA : PSD_MERGED_RGB;
	case PSD_MODE_CMYK:
		return PSD_MERGED_CMYK;
	case PSD_MODE_MULTICHANNEL:
		if (multichannelRead == 1 && document.channels >= 3)
			return PSD_MERGED_RGB;
		if (multichannelRead == 2 && document.channels >= 4)
			return PSD_MERGED_CMYK;
		return PSD_MERGED_GRAY;
	default:
		return PSD_MERGED_GRAY;
	}
}

TEST(PSDConformance, EveryCorpusFileMatchesItsExpectedBitmapStream)
{
	const std::vector<CorpusRow> rows = read_corpus_table(kCorpus + "/expected.tsv");
	if (rows.empty())
		GTEST_SKIP() << "no corpus at " << kCorpus;

	for (const CorpusRow& row : rows) {
		SCOPED_TRACE(row.file + " " + row.settings);
		const std::vector<uint8> file = readFile(kCorpus + "/" + row.file);
		ASSERT_FALSE(file.empty());
		BMemoryIO in(file.data(), file.size());

		PSDDocument document;
		std::string reason;
		ASSERT_EQ(B_OK, psdCoreDescribe(&in, &document, &reason)) << reason;
		const uint32 width = document.width, height = document.height;
		EXPECT_EQ(row.width, width);
		EXPECT_EQ(row.height, height);
		EXPECT_EQ(row.mode, document.mode);
		EXPECT_EQ(row.depth, document.depth);
		EXPECT_EQ(row.compression, document.compression);
		EXPECT_EQ(row.channels, document.channels);

		bool alpha4 = false;
		int multichannelRead = 1;
		if (row.settings != "none") {
			ASSERT_EQ(4u, row.settings.size());
			alpha4 = row.settings[1] == '1';
			multichannelRead = row.settings[3] - '0';
		}

		std::vector<uint8> stream;
		appendBig32(stream, 0x62697473); // 'bits'
		appendBigFloat(stream, 0);
		appendBigFloat(stream, 0);
		appendBigFloat(stream, (float)(uint32)(width - 1));
		appendBigFloat(stream, (float)(uint32)(height - 1));
		appendBig32(stream, width * 4);
		appendBig32(stream, 0x2008); // B_RGBA32
		appendBig32(stream, width * height * 4);
		std::vector<uint32> pixels((size_t)width * height);
		PSDPixelBufferSink sink(pixels.data());
		ASSERT_EQ(B_OK,
		          psdCoreDecodeMerged(&in, document,
		                              kindLikeAddOn(document, alpha4, multichannelRead), sink));
		const uint8* bytes = (const uint8*)pixels.data();
		stream.insert(stream.end(), bytes, bytes + pixels.size() * 4);
		EXPECT_EQ(row.digest, sha256_hex(stream.data(), stream.size()));
	}
}

} // namespace
