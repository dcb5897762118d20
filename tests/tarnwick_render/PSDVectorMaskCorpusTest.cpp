// Shape layers of the corpus whose merged image is Photoshop's own rendering:
// one solid colour over white, clipped by the vector mask, so the coverage
// read back from the merged image is Photoshop's and ours must match it.

#include <core/PSDMergedImage.h>
#include <render/shape/PSDVectorMask.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kLayers = std::string(SHARED_CORPUS_DIR) + "/layers/";

std::vector<uint8> readFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8>(std::istreambuf_iterator<char>(in), {});
}

// The first vector mask block, found by its signature as the layer section
// would be read past; its length follows the key.
bool findVectorMask(const std::vector<uint8>& file, PSDVectorMask& mask)
{
	for (const char* key : {"8BIMvmsk", "8BIMvsms"}) {
		auto at = std::search(file.begin(), file.end(), key, key + 8);
		if (file.end() - at < 12)
			continue;
		size_t start = at - file.begin() + 12;
		size_t length = size_t(file[start - 4]) << 24 | file[start - 3] << 16 |
		                file[start - 2] << 8 | file[start - 1];
		if (length > file.size() - start)
			return false;
		return psdVectorMaskRead(file.data() + start, length, mask) == B_OK;
	}
	return false;
}

TEST(PSDVectorMaskCorpus, ShapesMatchPhotoshopsMergedImage)
{
	if (readFile(kLayers + "path-operations__combine.psd").empty())
		GTEST_SKIP() << "no corpus at " << kLayers;
	for (const char* name : {"combine", "exclude-group", "intersect-all", "intersect-group",
	                         "subtract-first", "subtract-second"}) {
		SCOPED_TRACE(name);
		std::vector<uint8> file = readFile(kLayers + "path-operations__" + name + ".psd");
		PSDVectorMask mask;
		ASSERT_TRUE(findVectorMask(file, mask));

		BMemoryIO in(file.data(), file.size());
		PSDDocument document;
		std::string reason;
		ASSERT_EQ(B_OK, psdCoreDescribe(&in, &document, &reason));
		const uint32 width = document.width, height = document.height;
		std::vector<uint32> merged(size_t(width) * height);
		PSDPixelBufferSink sink(merged.data());
		ASSERT_EQ(B_OK, psdCoreDecodeMerged(&in, document, PSD_MERGED_RGB, sink));
		std::vector<uint8> coverage(merged.size());
		ASSERT_EQ(B_OK,
		          psdVectorMaskCoverage(mask, width, height, {0, 0, int32(width), int32(height)},
		                                coverage.data(), width));

		// The shape's colour is the median where we cover fully (a stroke
		// may run along the edge); its channel farthest from white tells how
		// much of it each pixel took.
		uint8 colour[3];
		for (int c = 0; c < 3; c++) {
			std::vector<uint8> values;
			for (size_t i = 0; i < merged.size(); i++) {
				if (coverage[i] == 255)
					values.push_back(((const uint8*)&merged[i])[c]);
			}
			ASSERT_FALSE(values.empty());
			std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
			colour[c] = values[values.size() / 2];
		}
		int channel = int(std::min_element(colour, colour + 3) - colour);
		double error = 0;
		size_t close = 0;
		for (size_t i = 0; i < merged.size(); i++) {
			double taken = (255.0 - ((const uint8*)&merged[i])[channel]) / (255 - colour[channel]);
			double difference = std::abs(std::min(std::max(taken, 0.0), 1.0) * 255 - coverage[i]);
			error += difference;
			close += difference <= 8;
		}
		EXPECT_LT(error / merged.size(), 1.0);
		EXPECT_GT(double(close) / merged.size(), 0.98);
	}
}

} // namespace
