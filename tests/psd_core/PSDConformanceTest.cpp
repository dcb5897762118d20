// Decodes every file of the shared corpus as the add-on would for each
// settings case and compares the SHA-256 of the whole Be bitmap stream.

#include "CorpusTable.h"
#include <core/PSDCore.h>

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

// Chooses the loader the way the add-on does and decodes; false where the
// add-on refuses the image. Settings: alpha4 and multichannelRead.
bool decodeLikeAddOn(BPositionIO* in, uint32 width, uint32 height, uint32 channels, uint16 depth,
                     uint16 mode, bool alpha4, int multichannelRead, uint32* pixels)
{
	uint16 compression;
	if (psdCoreImageCompression(in, &compression) != B_OK || compression > 1 || width == 0 ||
	    height == 0 || (depth != 1 && depth != 8 && depth != 16))
		return false;
	const bool is16 = depth == 16;
	status_t status = B_ERROR;
	switch (mode) {
	case PSD_MODE_BITMAP:
		status = psdCoreLoadImageBitmap(in, width, height, pixels);
		break;
	case PSD_MODE_GRAYSCALE:
	case PSD_MODE_DUOTONE:
		status = psdCoreLoadImageGrayscale(in, width, height, channels, pixels, is16);
		break;
	case PSD_MODE_INDEXED:
		status = psdCoreLoadImageIndexed(in, width, height, channels, pixels);
		break;
	case PSD_MODE_RGB:
		status = psdCoreLoadImageRGBA(in, width, height, channels, pixels, channels >= 4 && alpha4,
		                              is16);
		break;
	case PSD_MODE_CMYK:
		if (channels < 4)
			return false;
		status = psdCoreLoadImageCMYK(in, width, height, channels, pixels, is16);
		break;
	case PSD_MODE_MULTICHANNEL:
		if (multichannelRead == 1 && channels >= 3)
			status = psdCoreLoadImageRGBA(in, width, height, channels, pixels, false, is16);
		else if (multichannelRead == 2 && channels >= 4)
			status = psdCoreLoadImageCMYK(in, width, height, channels, pixels, is16);
		else
			status = psdCoreLoadImageGrayscale(in, width, height, channels, pixels, is16);
		break;
	case PSD_MODE_LAB:
		status = pscCoreLoadImageLab(in, width, height, channels, pixels, is16);
		break;
	}
	return status == B_OK;
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

		uint32 width, height, channels;
		uint16 depth, mode;
		ASSERT_EQ(B_OK, psdCoreImageInfo(&in, &width, &height, &channels, &depth, &mode));
		uint16 compression;
		ASSERT_EQ(B_OK, psdCoreImageCompression(&in, &compression));
		EXPECT_EQ(row.width, width);
		EXPECT_EQ(row.height, height);
		EXPECT_EQ(row.mode, mode);
		EXPECT_EQ(row.depth, depth);
		EXPECT_EQ(row.compression, compression);
		EXPECT_EQ(row.channels, channels);

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
		const bool decoded = decodeLikeAddOn(&in, width, height, channels, depth, mode, alpha4,
		                                     multichannelRead, pixels.data());
		ASSERT_TRUE(decoded) << "a corpus file the add-on would refuse";
		const uint8* bytes = (const uint8*)pixels.data();
		stream.insert(stream.end(), bytes, bytes + pixels.size() * 4);
		EXPECT_EQ(row.digest, sha256_hex(stream.data(), stream.size()));
	}
}

} // namespace
