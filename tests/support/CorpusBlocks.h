// Additional layer information blocks found in the corpus files by their
// signature, key and a length that fits, without reading the layer section.
#ifndef TEST_CORPUS_BLOCKS_H
#define TEST_CORPUS_BLOCKS_H

#include <SupportDefs.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct CorpusBlock {
	std::string file; // relative to the corpus folder
	std::string key;
	std::vector<uint8> data;
};

inline std::vector<uint8> read_corpus_file(const std::filesystem::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8>(std::istreambuf_iterator<char>(in), {});
}

// Every block of the given keys in every .psd and .psb file below `corpus`,
// none where there is no corpus (a user's clone). These keys have a 4-byte
// length in both PSD and PSB files.
inline std::vector<CorpusBlock> find_corpus_blocks(const std::string& corpus,
                                                   const std::vector<std::string>& keys)
{
	std::vector<CorpusBlock> blocks;
	if (!std::filesystem::is_directory(corpus))
		return blocks;
	for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
		std::string extension = entry.path().extension().string();
		if (extension != ".psd" && extension != ".psb")
			continue;
		std::vector<uint8> bytes = read_corpus_file(entry.path());
		for (size_t i = 0; i + 12 <= bytes.size(); i++) {
			if (memcmp(&bytes[i], "8BIM", 4) != 0 && memcmp(&bytes[i], "8B64", 4) != 0)
				continue;
			std::string key((const char*)&bytes[i + 4], 4);
			bool wanted = false;
			for (const std::string& k : keys)
				wanted = wanted || k == key;
			uint32 length = (uint32)bytes[i + 8] << 24 | (uint32)bytes[i + 9] << 16 |
			                (uint32)bytes[i + 10] << 8 | bytes[i + 11];
			if (!wanted || length < 8 || length > bytes.size() - i - 12)
				continue;
			blocks.push_back({std::filesystem::relative(entry.path(), corpus).string(), key,
			                  std::vector<uint8>(&bytes[i + 12], &bytes[i + 12] + length)});
		}
	}
	return blocks;
}

#endif
