// The corpus files built around adjustment layers, rendered from their
// layers, against Photoshop's merged image in the same file: over white, a
// mean difference of at most 2 and 98 % of the pixels within 8 in every
// channel, as the layer score counts a match.

#include "TranslatedPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kCorpus = SHARED_CORPUS_DIR;

// A pixel word's colour channel over white; the merged image is opaque, as
// translate shows it (its colour already lies over white).
double overWhite(uint32 word, int channel, bool opaque)
{
	const uint8* bytes = (const uint8*)&word;
	const double alpha = opaque ? 1 : bytes[3] / 255.0;
	return bytes[channel] * alpha + 255 * (1 - alpha);
}

void expectLayersMatchMerged(const std::string& path)
{
	SCOPED_TRACE(path);
	std::ifstream stream(path, std::ios::binary);
	const std::vector<uint8> bytes(std::istreambuf_iterator<char>(stream), {});
	const std::vector<uint32> merged = translatedPixels(bytes, false);
	const std::vector<uint32> rendered = translatedPixels(bytes, true);
	ASSERT_EQ(merged.size(), rendered.size());
	ASSERT_FALSE(merged.empty());
	const size_t count = merged.size();

	double total = 0;
	std::vector<double> worst(count);
	for (size_t i = 0; i < count; i++) {
		for (int c = 0; c < 3; c++) {
			const double d =
			    std::abs(overWhite(merged[i], c, true) - overWhite(rendered[i], c, false));
			total += d;
			worst[i] = std::max(worst[i], d);
		}
	}
	std::sort(worst.begin(), worst.end());
	EXPECT_LE(total / (count * 3), 2.0);
	EXPECT_LE(worst[(size_t)(count * 0.98)], 8.0);
}

TEST(PSDAdjustmentCorpus, LayersMatchPhotoshopsMergedImage)
{
	std::vector<std::string> paths;
	for (const char* folder : {"/layers", "/psd", "/colour"}) {
		if (!std::filesystem::is_directory(kCorpus + folder))
			continue;
		for (const auto& entry : std::filesystem::directory_iterator(kCorpus + folder)) {
			const std::string name = entry.path().filename().string();
			// The current form of brightness/contrast is only approximated;
			// colour/ keeps reference pictures beside its files.
			if (entry.path().extension() == ".psd" &&
			    ((name.rfind("adjustments__", 0) == 0 &&
			      name != "adjustments__brightnesscontrast_cmyk.psd") ||
			     name == "clip-adjustment.psd"))
				paths.push_back(entry.path().string());
		}
	}
	if (paths.empty())
		GTEST_SKIP() << "no corpus at " << kCorpus;
	for (const std::string& path : paths)
		expectLayersMatchMerged(path);
}

} // namespace
