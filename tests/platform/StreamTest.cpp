// Stream behaviour the add-ons and the host rely on: short reads at the
// end, seeks past the end, growth of BMallocIO, whole-count BFile reads.

#include <DataIO.h>
#include <File.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

TEST(MemoryIO, ReadsShortAtTheEndAndNothingPastIt)
{
	const char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
	BMemoryIO io(data, sizeof(data));
	char buffer[16];
	EXPECT_EQ(io.Read(buffer, 6), 6);
	EXPECT_EQ(io.Read(buffer, 16), 4);
	EXPECT_EQ(buffer[3], 9);
	EXPECT_EQ(io.Position(), 10);
	EXPECT_EQ(io.Read(buffer, 16), 0);

	EXPECT_EQ(io.Seek(100, SEEK_SET), 100);
	EXPECT_EQ(io.Read(buffer, 16), 0);
	EXPECT_EQ(io.Position(), 100);
	EXPECT_LT(io.Seek(-1, SEEK_SET), 0);
	EXPECT_EQ(io.Position(), 100);
}

TEST(MemoryIO, ConstDataRefusesWritesAndWritesStopAtTheBuffer)
{
	const char constant[4] = {};
	BMemoryIO readOnly(constant, sizeof(constant));
	EXPECT_LT(readOnly.Write("ab", 2), 0);

	char buffer[4] = {};
	BMemoryIO io(buffer, sizeof(buffer));
	io.Seek(2, SEEK_SET);
	EXPECT_EQ(io.Write("xyz", 3), 2);
	EXPECT_EQ(io.Write("q", 1), 0);
	EXPECT_EQ(std::string(buffer, 4), std::string("\0\0xy", 4));
}

TEST(MallocIO, GrowsAndZeroFillsASeekedGap)
{
	BMallocIO io;
	EXPECT_EQ(io.Write("ab", 2), 2);
	EXPECT_EQ(io.Seek(6, SEEK_SET), 6);
	EXPECT_EQ(io.Write("cd", 2), 2);
	ASSERT_EQ(io.BufferLength(), 8u);
	EXPECT_EQ(std::string((const char*)io.Buffer(), 8), std::string("ab\0\0\0\0cd", 8));

	std::vector<char> big(100000, 'x');
	EXPECT_EQ(io.Write(big.data(), big.size()), (ssize_t)big.size());
	EXPECT_EQ(io.BufferLength(), 8u + big.size());

	char buffer[4];
	io.Seek(-2, SEEK_END);
	EXPECT_EQ(io.Read(buffer, 4), 2);
	EXPECT_EQ(io.Seek(1000000, SEEK_SET), 1000000);
	EXPECT_EQ(io.Read(buffer, 4), 0);
}

// Buffers of several MiB take another allocation path (huge pages); what was
// written before each growth must survive it.
TEST(MallocIO, LargeBuffersKeepTheirContentsAcrossGrowth)
{
	BMallocIO io;
	std::vector<uint32> chunk(777777);
	uint32 next = 0;
	for (int round = 0; round < 12; round++) {
		for (uint32& word : chunk)
			word = next++ * 2654435761u;
		ASSERT_EQ(io.Write(chunk.data(), chunk.size() * 4), (ssize_t)(chunk.size() * 4));
	}
	ASSERT_EQ(io.BufferLength(), (size_t)next * 4);
	const uint32* words = (const uint32*)io.Buffer();
	size_t wrong = 0;
	for (uint32 i = 0; i < next; i++)
		wrong += words[i] != i * 2654435761u;
	EXPECT_EQ(wrong, 0u);

	ASSERT_EQ(io.SetSize((off_t)next * 4 + (5 << 20)), B_OK);
	const char* bytes = (const char*)io.Buffer();
	EXPECT_EQ(bytes[(size_t)next * 4], 0);
	EXPECT_EQ(bytes[(size_t)next * 4 + (5 << 20) - 1], 0);
}

class FileTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		char name[] = "/tmp/platform_file_XXXXXX";
		int fd = mkstemp(name);
		ASSERT_GE(fd, 0);
		close(fd);
		fPath = name;
	}
	void TearDown() override { unlink(fPath.c_str()); }

	std::string fPath;
};

TEST_F(FileTest, ReadsTheWholeCountUntilTheFileEnds)
{
	std::vector<char> data(200000);
	for (size_t i = 0; i < data.size(); i++)
		data[i] = (char)(i * 7);
	{
		BFile out(fPath.c_str(), B_WRITE_ONLY | B_ERASE_FILE);
		ASSERT_EQ(out.InitCheck(), B_OK);
		ASSERT_EQ(out.Write(data.data(), data.size()), (ssize_t)data.size());
	}

	BFile in(fPath.c_str(), B_READ_ONLY);
	ASSERT_EQ(in.InitCheck(), B_OK);
	std::vector<char> back(data.size() + 100);
	EXPECT_EQ(in.Read(back.data(), 150000), 150000);
	EXPECT_EQ(in.Read(back.data() + 150000, 100000), 50000);
	back.resize(data.size());
	EXPECT_EQ(back, data);
	EXPECT_EQ(in.Read(back.data(), 10), 0);

	off_t size = 0;
	EXPECT_EQ(in.GetSize(&size), B_OK);
	EXPECT_EQ(size, (off_t)data.size());
	EXPECT_EQ(in.Seek(0, SEEK_SET), 0);
	EXPECT_EQ(in.Position(), 0);
}

TEST_F(FileTest, OpenFailuresAreReported)
{
	BFile missing("/nonexistent/dir/file", B_READ_ONLY);
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
	char buffer[4];
	EXPECT_LT(missing.Read(buffer, 4), 0);

	BFile directory("/tmp", B_READ_ONLY);
	EXPECT_NE(directory.InitCheck(), B_OK);
}
