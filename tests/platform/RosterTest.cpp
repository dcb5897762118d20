// The roster over stand-in add-ons: which files load, which add-on wins,
// that streams are rewound, and that unloading runs the add-ons' finalisers.

#include <Message.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const char kAddOnDir[] = FAKE_ADDON_DIR;
const uint32 kFakeType = 0x46414B45;

class RosterTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		testing::internal::CaptureStderr();
		ASSERT_EQ(fRoster.AddTranslators(kAddOnDir), B_OK);
		fWarnings = testing::internal::GetCapturedStderr();
	}

	translator_id IdOf(const char* name)
	{
		translator_id id = 0;
		EXPECT_EQ(fRoster.FindTranslator(name, &id), B_OK) << name;
		return id;
	}

	std::string NameOf(translator_id id)
	{
		const char* name = nullptr;
		EXPECT_EQ(fRoster.GetTranslatorInfo(id, &name, nullptr, nullptr), B_OK);
		return name != nullptr ? name : "";
	}

	BTranslatorRoster fRoster;
	std::string fWarnings;
};

std::string written(const BMallocIO& io)
{
	return std::string((const char*)io.Buffer(), io.BufferLength());
}

} // namespace

TEST_F(RosterTest, LoadsInFileNameOrderAndSkipsWhatIsNotAnAddOn)
{
	translator_id* ids = nullptr;
	int32 count = 0;
	ASSERT_EQ(fRoster.GetAllTranslators(&ids, &count), B_OK);
	ASSERT_EQ(count, 4);
	const char* expected[] = {"Wanderer", "Low", "High", "Tie"};
	for (int32 i = 0; i < count; i++)
		EXPECT_EQ(NameOf(ids[i]), expected[i]);
	delete[] ids;

	// One warning line each for the file without Identify and the text file.
	std::istringstream lines(fWarnings);
	std::string line;
	int warnings = 0;
	while (std::getline(lines, line)) {
		warnings++;
		bool noIdentify = line.find("e_no_identify.so") != std::string::npos &&
		                  line.find("Identify") != std::string::npos;
		bool notElf = line.find("f_not_elf.so") != std::string::npos;
		EXPECT_TRUE(noIdentify || notElf) << line;
	}
	EXPECT_EQ(warnings, 2) << fWarnings;

	translator_id id;
	EXPECT_EQ(fRoster.FindTranslator("NoIdentify", &id), B_NAME_NOT_FOUND);
}

TEST_F(RosterTest, LoadingADirectoryAgainAddsNothing)
{
	testing::internal::CaptureStderr();
	EXPECT_EQ(fRoster.AddTranslators(kAddOnDir), B_OK);
	std::string warnings = testing::internal::GetCapturedStderr();
	EXPECT_NE(warnings.find("already loaded"), std::string::npos);

	translator_id* ids = nullptr;
	int32 count = 0;
	ASSERT_EQ(fRoster.GetAllTranslators(&ids, &count), B_OK);
	EXPECT_EQ(count, 4);
	delete[] ids;
	EXPECT_NE(fRoster.AddTranslators("/nonexistent/add-ons"), B_OK);
}

TEST_F(RosterTest, IdentifyPicksTheBestScoreFirstLoadedOnTies)
{
	const char data[] = "FAKE data";
	BMemoryIO stream(data, sizeof(data) - 1);
	stream.Seek(5, SEEK_SET); // Identify starts from the beginning regardless

	translator_info info;
	memset(&info, 0xAB, sizeof(info));
	ASSERT_EQ(fRoster.Identify(&stream, nullptr, &info), B_OK);
	// High and Tie both score 0.9 x 0.6; High loaded first. Low scores less,
	// and the wanderer, loaded before all, moved the stream and declined.
	EXPECT_EQ(NameOf(info.translator), "High");
	EXPECT_EQ(info.type, kFakeType);
	EXPECT_FLOAT_EQ(info.quality, 0.9f);
	EXPECT_FLOAT_EQ(info.capability, 0.6f);
	EXPECT_STREQ(info.MIME, "test/x-fake");
	EXPECT_EQ(stream.Position(), 0);
}

TEST_F(RosterTest, IdentifyPassesTheWantedTypeAndReportsNoTranslator)
{
	const char fake[] = "FAKE";
	BMemoryIO stream(fake, 4);
	translator_info info;
	EXPECT_EQ(fRoster.Identify(&stream, nullptr, &info, 0, nullptr, 0x504E4720), B_NO_TRANSLATOR);
	EXPECT_EQ(fRoster.Identify(&stream, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP), B_OK);

	const char other[] = "something else";
	BMemoryIO unknown(other, sizeof(other));
	EXPECT_EQ(fRoster.Identify(&unknown, nullptr, &info), B_NO_TRANSLATOR);
}

TEST_F(RosterTest, TranslateRewindsAndUsesTheChosenAddOn)
{
	const char data[] = "FAKE payload";
	BMemoryIO stream(data, sizeof(data) - 1);
	translator_info info;
	ASSERT_EQ(fRoster.Identify(&stream, nullptr, &info), B_OK);
	stream.Seek(7, SEEK_SET);

	BMallocIO out;
	ASSERT_EQ(fRoster.Translate(&stream, &info, nullptr, &out, B_TRANSLATOR_BITMAP), B_OK);
	EXPECT_EQ(written(out), "High:FAKE payload");

	// An explicit choice is honoured, even of an add-on that would not win.
	info.translator = IdOf("Low");
	BMallocIO low;
	ASSERT_EQ(fRoster.Translate(&stream, &info, nullptr, &low, B_TRANSLATOR_BITMAP), B_OK);
	EXPECT_EQ(written(low), "Low:FAKE payload");

	// Without info the roster identifies first.
	BMallocIO identified;
	ASSERT_EQ(fRoster.Translate(&stream, nullptr, nullptr, &identified, 0), B_OK);
	EXPECT_EQ(written(identified), "High:FAKE payload");

	info.translator = 99;
	BMallocIO none;
	EXPECT_EQ(fRoster.Translate(&stream, &info, nullptr, &none, 0), B_NO_TRANSLATOR);
	EXPECT_EQ(none.BufferLength(), 0u);
}

TEST_F(RosterTest, GivesEachAddOnsExports)
{
	translator_id high = IdOf("High");
	const char* name;
	const char* text;
	int32 version;
	ASSERT_EQ(fRoster.GetTranslatorInfo(high, &name, &text, &version), B_OK);
	EXPECT_STREQ(text, "A stand-in add-on for tests");
	EXPECT_EQ(version, 123);

	const translation_format* formats;
	int32 count;
	ASSERT_EQ(fRoster.GetInputFormats(high, &formats, &count), B_OK);
	ASSERT_EQ(count, 2);
	EXPECT_STREQ(formats[1].MIME, "test/x-fake-2");
	ASSERT_EQ(fRoster.GetOutputFormats(high, &formats, &count), B_OK);
	ASSERT_EQ(count, 1);
	EXPECT_EQ(formats[0].type, (uint32)B_TRANSLATOR_BITMAP);

	EXPECT_EQ(fRoster.GetTranslatorInfo(0, &name, &text, &version), B_NO_TRANSLATOR);
	EXPECT_EQ(fRoster.GetInputFormats(5, &formats, &count), B_NO_TRANSLATOR);
}

TEST_F(RosterTest, ConfigurationGoesToAddOnsThatOfferIt)
{
	BView* view = (BView*)&view;
	BRect extent;
	EXPECT_EQ(fRoster.MakeConfigurationView(IdOf("High"), nullptr, &view, &extent), B_OK);
	EXPECT_EQ(view, nullptr);
	EXPECT_EQ(extent, BRect(0, 0, 99, 49));
	BMessage message;
	EXPECT_EQ(fRoster.GetConfigurationMessage(IdOf("High"), &message), B_OK);
	int32 value = 0;
	EXPECT_EQ(message.FindInt32("fake/setting", &value), B_OK);
	EXPECT_EQ(value, 7);

	EXPECT_EQ(fRoster.MakeConfigurationView(IdOf("Low"), nullptr, &view, &extent), B_NOT_SUPPORTED);
	EXPECT_EQ(fRoster.GetConfigurationMessage(IdOf("Low"), &message), B_NOT_SUPPORTED);
}

TEST(RosterUnload, DestroyingTheRosterUnloadsAndFinalisesEveryAddOn)
{
	char logPath[] = "/tmp/roster_unload_XXXXXX";
	int fd = mkstemp(logPath);
	ASSERT_GE(fd, 0);
	close(fd);
	setenv("FAKE_ADDON_UNLOAD_LOG", logPath, 1);

	std::string high = std::string(kAddOnDir) + "/c_high.so";
	{
		BTranslatorRoster roster;
		testing::internal::CaptureStderr();
		ASSERT_EQ(roster.AddTranslators(kAddOnDir), B_OK);
		testing::internal::GetCapturedStderr();
		void* handle = dlopen(high.c_str(), RTLD_NOW | RTLD_NOLOAD);
		ASSERT_NE(handle, nullptr);
		dlclose(handle);
	}
	EXPECT_EQ(dlopen(high.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);

	unsetenv("FAKE_ADDON_UNLOAD_LOG");
	std::ifstream log(logPath);
	std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
	unlink(logPath);
	// Unloaded last first; the skipped add-on was loaded and closed at once.
	EXPECT_EQ(all, "NoIdentify\nTie\nHigh\nLow\nWanderer\n");
}
