#include "PSDTestSupport.h"

#include <gtest/gtest.h>

using namespace psdtest;

namespace {

Bytes counting(size_t size)
{
	Bytes bytes(size);
	for (size_t i = 0; i < size; i++)
		bytes[i] = (uint8_t)(i * 7 + i / 256);
	return bytes;
}

TEST(PSDFileBuffer, HandsOutBlocksLazilyWithOneReadPerBlock)
{
	const Bytes data = counting(3 * PSD_FILE_BUFFER_SIZE);
	BoundBytes bound(data);
	PSDFileBuffer& state = psdCoreFileBufferState();
	EXPECT_EQ(1, bound.IO().reads);
	EXPECT_EQ(data[0], psdCoreFileBufferReadUint8());
	EXPECT_EQ(1u, state.fileBufferOffset);

	for (uint32 i = 1; i < PSD_FILE_BUFFER_SIZE; i++)
		ASSERT_EQ(data[i], psdCoreFileBufferReadUint8());
	EXPECT_EQ(PSD_FILE_BUFFER_SIZE, state.fileBufferOffset);
	EXPECT_EQ(1, bound.IO().reads);
	EXPECT_EQ(data[PSD_FILE_BUFFER_SIZE], psdCoreFileBufferReadUint8());
	EXPECT_EQ(2, bound.IO().reads);
}

TEST(PSDFileBuffer, RunsStraddleTheBlockEnd)
{
	const Bytes data = counting(2 * PSD_FILE_BUFFER_SIZE);
	BoundBytes bound(data);
	PSDFileBuffer& state = psdCoreFileBufferState();
	uint8 run[10];
	state.fileBufferOffset = PSD_FILE_BUFFER_SIZE - 4;
	psdCoreFileBufferRead(4, run);
	EXPECT_EQ(0, memcmp(run, &data[PSD_FILE_BUFFER_SIZE - 4], 4));
	EXPECT_EQ(PSD_FILE_BUFFER_SIZE, state.fileBufferOffset);
	EXPECT_EQ(1, bound.IO().reads);

	state.fileBufferOffset = PSD_FILE_BUFFER_SIZE - 4;
	psdCoreFileBufferRead(10, run);
	EXPECT_EQ(0, memcmp(run, &data[PSD_FILE_BUFFER_SIZE - 4], 10));
	EXPECT_EQ(6u, state.fileBufferOffset);
	EXPECT_EQ(2, bound.IO().reads);
}

TEST(PSDFileBuffer, PastTheEndHandsOutZerosNeverEarlierBytes)
{
	{
		BoundBytes earlier(Bytes(PSD_FILE_BUFFER_SIZE, 0xEE));
		psdCoreFileBufferReadUint8();
	}
	const Bytes data = counting(100);
	BoundBytes bound(data);
	Bytes run(300, 0x55);
	psdCoreFileBufferRead(300, run.data());
	EXPECT_TRUE(std::equal(data.begin(), data.end(), run.begin()));
	EXPECT_EQ(Bytes(200, 0), Bytes(run.begin() + 100, run.end()));
	for (int i = 0; i < 3 * (int)PSD_FILE_BUFFER_SIZE; i++)
		ASSERT_EQ(0, psdCoreFileBufferReadUint8());
	EXPECT_EQ(2, bound.IO().reads) << "reading nothing ends the data";
}

} // namespace
