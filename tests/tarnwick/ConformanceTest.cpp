// Every file and settings case of the shared conformance corpus, converted
// through the translator roster as a host converts it, checked by the SHA-256
// of the whole Be bitmap stream.
#include "TarnwickAddOn.h"

#include <File.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

struct corpus_case {
	std::string file;
	std::string settings;
	std::string sha256;
};

std::vector<corpus_case> read_expected(const std::string& path)
{
	std::vector<corpus_case> cases;
	std::ifstream table(path);
	std::string line;
	std::getline(table, line);  // column names
	while (std::getline(table, line)) {
		std::istringstream fields(line);
		corpus_case c;
		if (std::getline(fields, c.file, '\t') && std::getline(fields, c.settings, '\t')
			&& std::getline(fields, c.sha256, '\t'))
			cases.push_back(c);
	}
	return cases;
}

std::string sha256_hex(const void* data, size_t size)
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

// "none" is no settings file; "aXmY" gives alpha4 X and multichannelRead Y.
bool settings_for(const std::string& name, std::string* content)
{
	if (name == "none")
		return true;
	if (name.size() != 4 || name[0] != 'a' || name[2] != 'm')
		return false;
	*content = settings_file(name[1] != '0', name[3] - '0');
	return true;
}

TEST(TarnwickConformance, EveryCorpusCaseThroughTheRoster)
{
	const std::string corpus = std::string(SHARED_CORPUS_DIR) + "/psd";
	struct stat st;
	if (stat(corpus.c_str(), &st) != 0)
		GTEST_SKIP() << "no shared corpus at " << corpus;
	const std::vector<corpus_case> cases = read_expected(corpus + "/expected.tsv");
	ASSERT_FALSE(cases.empty());

	for (const corpus_case& c : cases) {
		SCOPED_TRACE(c.file + " with settings " + c.settings);
		std::string settings;
		ASSERT_TRUE(settings_for(c.settings, &settings));
		TemporaryFolder folder;
		if (!settings.empty()) {
			ASSERT_TRUE(write_file(folder.File("Tarnwick_Settings"), settings));
		}
		SettingsHome home(folder.Path());

		BTranslatorRoster roster;
		ASSERT_EQ(B_OK, roster.AddTranslators(TRANSLATORS_DIR));
		translator_id tarnwick = 0;
		ASSERT_EQ(B_OK, roster.FindTranslator("PSD Images", &tarnwick));

		BFile input((corpus + "/" + c.file).c_str(), B_READ_ONLY);
		ASSERT_EQ(B_OK, input.InitCheck());
		translator_info info;
		ASSERT_EQ(B_OK, roster.Identify(&input, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP));
		EXPECT_EQ(tarnwick, info.translator);
		BMallocIO output;
		ASSERT_EQ(B_OK, roster.Translate(&input, &info, nullptr, &output, B_TRANSLATOR_BITMAP));
		EXPECT_EQ(c.sha256, sha256_hex(output.Buffer(), output.BufferLength()));
	}
}

}  // namespace
