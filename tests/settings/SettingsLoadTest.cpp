#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(SettingsLoad, NoFileGivesDefaultsSilently)
{
	TemporaryFolder folder;
	SettingsHome home(folder.Path());
	psd_settings settings;
	settings.alpha4 = true;
	settings.multichannelRead = 3;
	settings.changed = true;
	settings.window_pos = BPoint(5, 6);
	StderrCapture capture;
	{
		PrefsLoader loader("Tarnwick_Settings", &settings);
		EXPECT_EQ(BPoint(0, 0), settings.window_pos);
		EXPECT_FALSE(settings.alpha4);
		EXPECT_EQ(1, settings.multichannelRead);
		EXPECT_FALSE(settings.changed);
	}
	EXPECT_EQ("", capture.Finish());
	EXPECT_TRUE(folder.Entries().empty());
}

TEST(SettingsLoad, ReadsEveryKeyAndIgnoresCommentsAndBlankLines)
{
	loaded_settings loaded = load_settings("# Tarnwick settings version 1.00\n"
	                                       "\n"
	                                       "   \t\n"
	                                       "  # window_pos = 1,1\n"
	                                       "window_pos = 12.5, 40\n"
	                                       "\talpha4=1 and a word\n"
	                                       "multichannelRead =2.5\r\n");
	EXPECT_EQ("", loaded.diagnostics);
	EXPECT_EQ(BPoint(12.5f, 40.0f), loaded.settings.window_pos);
	EXPECT_TRUE(loaded.settings.alpha4);
	EXPECT_EQ(2, loaded.settings.multichannelRead);
	EXPECT_FALSE(loaded.settings.changed);
}

TEST(SettingsLoad, LaterLinesWin)
{
	loaded_settings loaded = load_settings("alpha4 = 7\nmultichannelRead = 3\n"
	                                       "alpha4 = 0\nmultichannelRead = 2\n"
	                                       "window_pos = 1,2\nwindow_pos = 3,4\n");
	EXPECT_EQ("", loaded.diagnostics);
	EXPECT_FALSE(loaded.settings.alpha4);
	EXPECT_EQ(2, loaded.settings.multichannelRead);
	EXPECT_EQ(BPoint(3, 4), loaded.settings.window_pos);
}

TEST(SettingsLoad, AnyNonZeroAlpha4IsTrue)
{
	EXPECT_TRUE(load_settings("alpha4 = 7\n").settings.alpha4);
	EXPECT_TRUE(load_settings("alpha4 = -1\n").settings.alpha4);
	// Beyond int, still not zero.
	EXPECT_TRUE(load_settings("alpha4 = 4294967296\n").settings.alpha4);
	EXPECT_FALSE(load_settings("alpha4 = 0\n").settings.alpha4);
}

TEST(SettingsLoad, PartialWindowPositionMovesOnlyX)
{
	loaded_settings loaded = load_settings("window_pos = 7,9\nwindow_pos = 12.5 ,40\n");
	EXPECT_EQ("illegal window position in Tarnwick settings:  12.5 ,40\n", loaded.diagnostics);
	EXPECT_EQ(12.5f, loaded.settings.window_pos.x);
	EXPECT_EQ(9.0f, loaded.settings.window_pos.y);
}

struct diagnostic_case {
	std::string line;
	std::string diagnostic;
};

void PrintTo(const diagnostic_case& c, std::ostream* os)
{
	*os << testing::PrintToString(c.line);
}

class SettingsDiagnostic : public testing::TestWithParam<diagnostic_case> {};

// Every bad line prints its message byte for byte and leaves the record as the
// line before it left it.
TEST_P(SettingsDiagnostic, PrintsMessageAndChangesNothing)
{
	const std::string before = "window_pos = 3,4\nalpha4 = 1\nmultichannelRead = 3\n";
	loaded_settings loaded = load_settings(before + GetParam().line);
	EXPECT_EQ(GetParam().diagnostic, loaded.diagnostics);
	EXPECT_EQ(BPoint(3, 4), loaded.settings.window_pos);
	EXPECT_TRUE(loaded.settings.alpha4);
	EXPECT_EQ(3, loaded.settings.multichannelRead);
}

const std::string kLongKeyLine = std::string(40, 'k') + " = 1\n";

INSTANTIATE_TEST_SUITE_P(
    Messages, SettingsDiagnostic,
    testing::Values(
        diagnostic_case{"= 1\n", "unknown Tarnwick settings line: = 1\n"},
        diagnostic_case{"  -alpha4 = 1\n", "unknown Tarnwick settings line:   -alpha4 = 1\n"},
        diagnostic_case{"  Alpha4 = 0\n", "unknown Tarnwick setting:   Alpha4 = 0\n"},
        diagnostic_case{"alpha4x = 0\n", "unknown Tarnwick setting: alpha4x = 0\n"},
        diagnostic_case{"window = 0,0\n", "unknown Tarnwick setting: window = 0,0\n"},
        diagnostic_case{kLongKeyLine, "unknown Tarnwick setting: " + kLongKeyLine},
        diagnostic_case{"window_pos = left,top\n",
                        "illegal window position in Tarnwick settings:  left,top\n"},
        diagnostic_case{"alpha4 = yes\n", "illegal alpha4 value in Tarnwick settings:  yes\n"},
        diagnostic_case{"alpha4 =\n", "illegal alpha4 value in Tarnwick settings: \n"},
        diagnostic_case{"multichannelRead = 4\n",
                        "illegal multichannelRead value in Tarnwick settings:  4\n"},
        diagnostic_case{"multichannelRead = 0\n",
                        "illegal multichannelRead value in Tarnwick settings:  0\n"},
        diagnostic_case{"multichannelRead = 255\n",
                        "illegal multichannelRead value in Tarnwick settings:  255\n"},
        diagnostic_case{"multichannelRead = 4294967298\n",
                        "illegal multichannelRead value in Tarnwick settings:  4294967298\n"},
        diagnostic_case{"multichannelRead = x\r\n",
                        "illegal multichannelRead value in Tarnwick settings:  x\r\n"},
        // A recognised key without "=": reported with an empty value and the line's end.
        diagnostic_case{"alpha4\n", "illegal alpha4 value in Tarnwick settings: \n"},
        diagnostic_case{"alpha4 1\r\n", "illegal alpha4 value in Tarnwick settings: \r\n"},
        diagnostic_case{"window_pos 1,2\n", "illegal window position in Tarnwick settings: \n"},
        diagnostic_case{"multichannelRead",
                        "illegal multichannelRead value in Tarnwick settings: "}));

TEST(SettingsLoad, SeveralBadLinesPrintOneMessageEach)
{
	loaded_settings loaded = load_settings("Alpha4 = 1\nalpha4 = 1\n=\nmultichannelRead = 9\n");
	EXPECT_EQ("unknown Tarnwick setting: Alpha4 = 1\n"
	          "unknown Tarnwick settings line: =\n"
	          "illegal multichannelRead value in Tarnwick settings:  9\n",
	          loaded.diagnostics);
	EXPECT_TRUE(loaded.settings.alpha4);
}

TEST(SettingsLoad, LongLineIsReadInPiecesOfAtMost1023Characters)
{
	// The first piece is a comment; the rest starts a key of its own.
	const std::string tail(100, 'x');
	const std::string line = "#" + std::string(1022, ' ') + tail + "\n";
	loaded_settings loaded = load_settings(line + "alpha4 = 1\n");
	EXPECT_EQ("unknown Tarnwick setting: " + tail + "\n", loaded.diagnostics);
	EXPECT_TRUE(loaded.settings.alpha4);
}

TEST(SettingsLoad, LastLineWithoutLineFeedCounts)
{
	loaded_settings loaded = load_settings("alpha4 = 1\nmultichannelRead = 3");
	EXPECT_EQ("", loaded.diagnostics);
	EXPECT_EQ(3, loaded.settings.multichannelRead);
}

TEST(SettingsLoad, LineStartingWithNulEndsReading)
{
	const char content[] = "alpha4 = 1\n\0garbage\nmultichannelRead = 3\n";
	loaded_settings loaded = load_settings(std::string(content, sizeof(content) - 1));
	EXPECT_EQ("", loaded.diagnostics);
	EXPECT_TRUE(loaded.settings.alpha4);
	EXPECT_EQ(1, loaded.settings.multichannelRead);
}

TEST(SettingsLoad, FolderInPlaceOfFileGivesDefaults)
{
	TemporaryFolder folder;
	SettingsHome home(folder.Path());
	ASSERT_EQ(0, mkdir(folder.File("Tarnwick_Settings").c_str(), 0755));
	psd_settings settings;
	StderrCapture capture;
	{
		PrefsLoader loader("Tarnwick_Settings", &settings);
	}
	EXPECT_EQ("", capture.Finish());
	EXPECT_EQ(1, settings.multichannelRead);
	EXPECT_FALSE(settings.alpha4);
}

} // namespace
