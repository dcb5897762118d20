#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kSavedDefaults[] = "# Tarnwick settings version 1.00\n"
                              "window_pos = 0,0\n"
                              "alpha4 = 0\n"
                              "multichannelRead = 1\n";

// Runs body in a child process that then leaves through exit, so that its
// static finaliser, g_prefs_loader included, runs as at the end of a program.
template <typename Body> int run_in_child_until_exit(Body body)
{
	fflush(nullptr);
	pid_t pid = fork();
	if (pid == 0) {
		body();
		exit(0);
	}
	int status = 0;
	if (pid < 0 || waitpid(pid, &status, 0) != pid)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The child's own record was loaded from wherever its environment pointed;
// these tests start from the defaults.
void reset_process_settings()
{
	g_settings.window_pos = BPoint(0, 0);
	g_settings.alpha4 = false;
	g_settings.multichannelRead = 1;
	g_settings.changed = false;
}

void save_local(const std::string& folder, void (*change)(psd_settings*))
{
	SettingsHome home(folder);
	psd_settings settings;
	PrefsLoader loader("Tarnwick_Settings", &settings);
	change(&settings);
}

TEST(SettingsSave, WindowOriginIsWrittenWhenTheProgramEnds)
{
	TemporaryFolder folder;
	ASSERT_EQ(0, run_in_child_until_exit([&] {
		          setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
		          reset_process_settings();
		          set_window_origin(BPoint(100.5f, 40.0f));
		          if (get_window_origin() != BPoint(100.5f, 40.0f))
			          exit(2);
	          }));
	std::string content;
	ASSERT_TRUE(read_file(folder.File("Tarnwick_Settings"), &content));
	EXPECT_EQ("# Tarnwick settings version 1.00\n"
	          "window_pos = 100.5,40\n"
	          "alpha4 = 0\n"
	          "multichannelRead = 1\n",
	          content);
	EXPECT_EQ(std::vector<std::string>{"Tarnwick_Settings"}, folder.Entries());
}

TEST(SettingsSave, StoringTheSameOriginStillWrites)
{
	TemporaryFolder folder;
	ASSERT_EQ(0, run_in_child_until_exit([&] {
		          setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
		          reset_process_settings();
		          set_window_origin(get_window_origin());
	          }));
	std::string content;
	ASSERT_TRUE(read_file(folder.File("Tarnwick_Settings"), &content));
	EXPECT_EQ(kSavedDefaults, content);
}

TEST(SettingsSave, NothingIsWrittenWhenNothingChanged)
{
	TemporaryFolder folder;
	ASSERT_EQ(0, run_in_child_until_exit([&] {
		          setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
		          reset_process_settings();
		          get_window_origin();
	          }));
	EXPECT_TRUE(folder.Entries().empty());
}

TEST(SettingsSave, WritesWhatWasLoadedInItsOwnForm)
{
	TemporaryFolder folder;
	ASSERT_TRUE(write_file(folder.File("Tarnwick_Settings"),
	                       "alpha4 = 7\n  window_pos = 1.25e2, -3\nmultichannelRead = 3 # grey\n"));
	save_local(folder.Path(), [](psd_settings* settings) { settings->changed = true; });
	std::string content;
	ASSERT_TRUE(read_file(folder.File("Tarnwick_Settings"), &content));
	EXPECT_EQ("# Tarnwick settings version 1.00\n"
	          "window_pos = 125,-3\n"
	          "alpha4 = 1\n"
	          "multichannelRead = 3\n",
	          content);
}

TEST(SettingsSave, ByteOutsideTheThreeChoicesIsWrittenUnsignedAndRefusedOnLoad)
{
	TemporaryFolder folder;
	save_local(folder.Path(), [](psd_settings* settings) {
		settings->multichannelRead = -1;
		settings->changed = true;
	});
	std::string content;
	ASSERT_TRUE(read_file(folder.File("Tarnwick_Settings"), &content));
	EXPECT_NE(std::string::npos, content.find("\nmultichannelRead = 255\n"));
	loaded_settings reloaded = load_settings(content);
	EXPECT_EQ("illegal multichannelRead value in Tarnwick settings:  255\n", reloaded.diagnostics);
	EXPECT_EQ(1, reloaded.settings.multichannelRead);
}

TEST(SettingsSave, ReplacesTheOldFileWhole)
{
	TemporaryFolder folder;
	ASSERT_TRUE(
	    write_file(folder.File("Tarnwick_Settings"),
	               "# an older and much longer settings file\n" + std::string(5000, '#') + "\n"));
	save_local(folder.Path(), [](psd_settings* settings) { settings->changed = true; });
	std::string content;
	ASSERT_TRUE(read_file(folder.File("Tarnwick_Settings"), &content));
	EXPECT_EQ(kSavedDefaults, content);
	EXPECT_EQ(std::vector<std::string>{"Tarnwick_Settings"}, folder.Entries());
}

TEST(SettingsSave, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile)
{
	TemporaryFolder folder;
	const std::string old = "alpha4 = 1\nmultichannelRead = 3\nwindow_pos = 10,20\n";
	ASSERT_TRUE(write_file(folder.File("Tarnwick_Settings"), old));
	// A file size limit below the four lines stands in for a full disk.
	fflush(nullptr);
	pid_t pid = fork();
	if (pid == 0) {
		signal(SIGXFSZ, SIG_IGN);
		struct rlimit limit = {16, 16};
		if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
			_exit(2);
		save_local(folder.Path(), [](psd_settings* settings) { settings->changed = true; });
		_exit(0);
	}
	int status = 0;
	ASSERT_EQ(pid, waitpid(pid, &status, 0));
	ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

	std::string content;
	ASSERT_TRUE(read_file(folder.File("Tarnwick_Settings"), &content));
	EXPECT_EQ(old, content);
	EXPECT_EQ(std::vector<std::string>{"Tarnwick_Settings"}, folder.Entries());
}

mode_t mode_of(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SettingsSave, ANewFileGetsTheUmasksModeAndAnOldFileKeepsItsOwn)
{
	TemporaryFolder folder;
	const std::string file = folder.File("Tarnwick_Settings");
	mode_t saved = umask(027);
	save_local(folder.Path(), [](psd_settings* settings) { settings->changed = true; });
	EXPECT_EQ(0640u, mode_of(file));

	ASSERT_EQ(0, chmod(file.c_str(), 0604));
	umask(077);
	save_local(folder.Path(), [](psd_settings* settings) {
		settings->alpha4 = true;
		settings->changed = true;
	});
	umask(saved);
	EXPECT_EQ(0604u, mode_of(file));
	std::string content;
	ASSERT_TRUE(read_file(file, &content));
	EXPECT_NE(std::string::npos, content.find("\nalpha4 = 1\n"));
}

TEST(SettingsSave, ASymbolicLinkStaysAndItsTargetGetsTheSettings)
{
	TemporaryFolder folder;
	ASSERT_EQ(0, mkdir(folder.File("kept").c_str(), 0755));
	ASSERT_TRUE(write_file(folder.File("kept/tarnwick.conf"), "alpha4 = 1\n"));
	ASSERT_EQ(0, symlink("kept/tarnwick.conf", folder.File("Tarnwick_Settings").c_str()));
	save_local(folder.Path(), [](psd_settings* settings) {
		settings->alpha4 = false;
		settings->changed = true;
	});

	char link[256] = {};
	ASSERT_GT(readlink(folder.File("Tarnwick_Settings").c_str(), link, sizeof(link) - 1), 0);
	EXPECT_STREQ("kept/tarnwick.conf", link);
	std::string content;
	ASSERT_TRUE(read_file(folder.File("kept/tarnwick.conf"), &content));
	EXPECT_EQ(kSavedDefaults, content);
	EXPECT_EQ(2u, folder.Entries().size());
}

// Root writes into any folder; the save runs as an ordinary user then.
TEST(SettingsSave, AReadOnlyFolderHoldingAWritableFileIsWrittenInPlace)
{
	TemporaryFolder folder;
	const std::string file = folder.File("Tarnwick_Settings");
	ASSERT_TRUE(write_file(file, "alpha4 = 1\n"));
	const uid_t nobody = 65534;
	if (geteuid() == 0) {
		ASSERT_EQ(0, chown(folder.Path().c_str(), nobody, nobody));
		ASSERT_EQ(0, chown(file.c_str(), nobody, nobody));
	}
	ASSERT_EQ(0, chmod(folder.Path().c_str(), 0555));
	int exitCode = run_in_child_until_exit([&] {
		if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0))
			exit(2);
		save_local(folder.Path(), [](psd_settings* settings) {
			settings->alpha4 = false;
			settings->changed = true;
		});
	});
	chmod(folder.Path().c_str(), 0755);
	ASSERT_EQ(0, exitCode);
	std::string content;
	ASSERT_TRUE(read_file(file, &content));
	EXPECT_EQ(kSavedDefaults, content);
	EXPECT_EQ(std::vector<std::string>{"Tarnwick_Settings"}, folder.Entries());
}

TEST(SettingsSave, MissingSettingsFolderCreatesNothing)
{
	TemporaryFolder folder;
	const std::string absent = folder.File("absent");
	save_local(absent, [](psd_settings* settings) { settings->changed = true; });
	EXPECT_TRUE(folder.Entries().empty());
}

} // namespace
