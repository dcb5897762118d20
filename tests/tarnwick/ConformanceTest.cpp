// Every file and settings case of the shared conformance corpus, converted
// through the translator roster as a host converts it, checked by the SHA-256
// of the whole Be bitmap stream.
#include "CorpusTable.h"
#include "TarnwickAddOn.h"

#include <File.h>
#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

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

// Every row of one corpus table: the file under its settings case.
void expect_table_converts(const std::string& folder)
{
	const std::string corpus = std::string(SHARED_CORPUS_DIR) + "/" + folder;
	struct stat st;
	if (stat(corpus.c_str(), &st) != 0)
		GTEST_SKIP() << "no shared corpus at " << corpus;
	const std::vector<CorpusRow> cases = read_corpus_table(corpus + "/expected.tsv");
	ASSERT_FALSE(cases.empty());

	for (const CorpusRow& c : cases) {
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
		// The tables give the merged image as stored, also where it is blank.
		BMessage extension;
		extension.AddBool(TARNWICK_EXT_LAYERS, false);
		ASSERT_EQ(B_OK, roster.Translate(&input, &info, &extension, &output, B_TRANSLATOR_BITMAP));
		EXPECT_EQ(c.digest, sha256_hex(output.Buffer(), output.BufferLength()));
	}
}

TEST(TarnwickConformance, EveryCorpusCaseThroughTheRoster)
{
	expect_table_converts("psd");
}

// Large documents, 32-bit float samples and ZIP-compressed data.
TEST(TarnwickConformance, EveryCaseBeyondThroughTheRoster)
{
	expect_table_converts("beyond");
}

} // namespace
