// Eight threads translating different files through one loaded roster at the
// same time, identification included, must each get exactly the bytes that
// translating the file alone gives: PSD decodes of several colour modes and
// depths, some spanning many read blocks, next to SCREEN$ conversions; and
// the same with colour management asked for, the threads meeting each
// profile first together, one image large enough to be converted on several
// threads of its own.

#include "PsdWriter.h"
#include "TestProfiles.h"

#include <DataIO.h>
#include <Message.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

using psdtest::Bytes;
using psdtest::PsdLayout;
using psdtest::psdLayout;

namespace {

const int kThreads = 8;
const int kRounds = 50;

Bytes noise(size_t size, unsigned seed)
{
	std::mt19937 random(seed);
	Bytes bytes(size);
	for (size_t i = 0; i < size; i++)
		bytes[i] = i % 9 < 4 ? (uint8_t)(seed + i / 64) : (uint8_t)random();
	return bytes;
}

Bytes builtPsd(uint16_t mode, uint16_t depth, uint16_t channels, uint32_t width, uint32_t height,
               bool packed, const Bytes& profile = Bytes())
{
	PsdLayout layout = psdLayout(mode, depth, channels, width, height);
	if (!profile.empty())
		layout.imageResources = psdtest::imageResource(1039, profile);
	if (mode == 2)
		layout.colorModeData = noise(768, 5);
	std::vector<Bytes> planes;
	for (unsigned p = 0; p < channels; p++)
		planes.push_back(noise(layout.RowBytes() * height, mode * 16 + p));
	return packed ? psdtest::psdPackBits(layout, planes) : psdtest::psdRaw(layout, planes);
}

Bytes readFile(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<Bytes> inputs()
{
	std::vector<Bytes> files = {
	    builtPsd(3, 8, 3, 211, 97, true),
	    builtPsd(3, 16, 4, 130, 70, false),
	    builtPsd(1, 16, 1, 190, 90, true),
	    builtPsd(2, 8, 1, 150, 120, true),
	    builtPsd(4, 8, 5, 120, 80, true),
	    builtPsd(0, 1, 1, 333, 77, false),
	    builtPsd(9, 8, 3, 100, 100, true),
	    builtPsd(7, 8, 4, 90, 60, false),
	    noise(6912, 1),
	    noise(7396, 2),
	};
	if (DIR* dir = opendir(EXAMPLES_DIR)) {
		while (dirent* entry = readdir(dir)) {
			const std::string name = entry->d_name;
			if (name.size() > 4 &&
			    (name.substr(name.size() - 4) == ".psd" || name.substr(name.size() - 4) == ".scr"))
				files.push_back(readFile(std::string(EXAMPLES_DIR) + "/" + name));
		}
		closedir(dir);
	}
	return files;
}

// Identify, then translate with the winner, as a host does.
bool translate(BTranslatorRoster& roster, const Bytes& file, Bytes* output, bool managed = false)
{
	BMemoryIO in(file.data(), file.size());
	BMallocIO out;
	BMessage extension;
	if (managed)
		extension.AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, B_TRANSLATOR_COLOR_SRGB);
	if (roster.Translate(&in, nullptr, &extension, &out, B_TRANSLATOR_BITMAP) != B_OK)
		return false;
	const uint8_t* data = (const uint8_t*)out.Buffer();
	output->assign(data, data + out.BufferLength());
	return true;
}

// Each thread's mismatches when the threads translate the files over and
// over, starting together.
std::vector<int> translateTogether(BTranslatorRoster& roster, const std::vector<Bytes>& files,
                                   const std::vector<Bytes>& alone, bool managed, int rounds)
{
	std::atomic<int> waiting(kThreads);
	std::vector<int> mismatches(kThreads, 0);
	std::vector<std::thread> threads;
	for (int t = 0; t < kThreads; t++) {
		threads.emplace_back([&, t] {
			waiting--;
			while (waiting > 0)
				std::this_thread::yield();
			for (int round = 0; round < rounds; round++) {
				// Threads take different files in every round.
				const size_t f = (size_t)(t * 3 + round) % files.size();
				Bytes output;
				if (!translate(roster, files[f], &output, managed) || output != alone[f])
					mismatches[t]++;
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	return mismatches;
}

TEST(ConcurrentTranslation, EightThreadsMatchTranslatingAlone)
{
	setenv("XDG_CONFIG_HOME", NO_SETTINGS_DIR, 1);
	BTranslatorRoster roster;
	ASSERT_EQ(B_OK, roster.AddTranslators(TRANSLATORS_DIR));

	const std::vector<Bytes> files = inputs();
	std::vector<Bytes> alone(files.size());
	for (size_t i = 0; i < files.size(); i++)
		ASSERT_TRUE(translate(roster, files[i], &alone[i])) << "file " << i;
	EXPECT_EQ(std::vector<int>(kThreads, 0),
	          translateTogether(roster, files, alone, false, kRounds));
}

// The files alone first; then the add-on loaded afresh, so that its
// profiles' tables are made while the threads wait for them.
TEST(ConcurrentTranslation, EightThreadsManagingColourMatchTranslatingAlone)
{
	setenv("XDG_CONFIG_HOME", NO_SETTINGS_DIR, 1);
	const Bytes wide = psdtest::gammaProfile(563 / 256.0);
	std::vector<Bytes> files = inputs();
	files.push_back(builtPsd(3, 8, 3, 1024, 512, true, wide));
	files.push_back(builtPsd(3, 16, 3, 70, 50, false, wide));
	files.push_back(builtPsd(1, 8, 1, 120, 40, true, psdtest::gammaProfile(2.2, true)));
	std::vector<Bytes> alone(files.size());
	{
		BTranslatorRoster roster;
		ASSERT_EQ(B_OK, roster.AddTranslators(TRANSLATORS_DIR));
		for (size_t i = 0; i < files.size(); i++)
			ASSERT_TRUE(translate(roster, files[i], &alone[i], true)) << "file " << i;
	}
	BTranslatorRoster roster;
	ASSERT_EQ(B_OK, roster.AddTranslators(TRANSLATORS_DIR));
	EXPECT_EQ(std::vector<int>(kThreads, 0), translateTogether(roster, files, alone, true, 4));
}

} // namespace
