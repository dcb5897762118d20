// The shared conformance corpus's expected.tsv, and the SHA-256 its digests
// are given in. Header only, for the suites that compare against it.
#ifndef TEST_SUPPORT_CORPUS_TABLE_H
#define TEST_SUPPORT_CORPUS_TABLE_H

#include <SupportDefs.h>

#include <openssl/evp.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// One file under one settings case ("none", or "aXmY": alpha4 X and
// multichannelRead Y), with the digest of its whole Be bitmap stream.
struct CorpusRow {
	std::string file;
	std::string settings;
	std::string digest;
	uint32 width, height, mode, depth, compression, channels;
};

inline std::vector<CorpusRow> read_corpus_table(const std::string& path)
{
	std::vector<CorpusRow> rows;
	std::ifstream in(path);
	std::string line;
	std::getline(in, line); // column names
	while (std::getline(in, line)) {
		std::istringstream fields(line);
		CorpusRow row;
		if (fields >> row.file >> row.settings >> row.digest >> row.width >> row.height >>
		    row.mode >> row.depth >> row.compression >> row.channels)
			rows.push_back(row);
	}
	return rows;
}

inline std::string sha256_hex(const void* data, size_t size)
{
	unsigned char digest[EVP_MAX_MD_SIZE];
	unsigned int length = 0;
	if (EVP_Digest(data, size, digest, &length, EVP_sha256(), nullptr) != 1)
		return "digest failed";
	static const char kHex[] = "0123456789abcdef";
	std::string text;
	for (unsigned int i = 0; i < length; i++) {
		text += kHex[digest[i] >> 4];
		text += kHex[digest[i] & 15];
	}
	return text;
}

#endif
