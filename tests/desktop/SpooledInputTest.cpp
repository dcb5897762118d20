// An incoming file kept in memory, then spilled to a temporary file: what
// comes out of the stream is what went in, across the spill.

#include "SpooledInput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8> pattern(size_t size)
{
	std::vector<uint8> bytes(size);
	for (size_t i = 0; i < size; i++)
		bytes[i] = (uint8)(i * 131 + (i >> 13));
	return bytes;
}

// Appends the bytes in pieces of the given size; the whole stream after.
std::vector<uint8> spooled(const std::vector<uint8>& bytes, size_t piece, bool* spilled)
{
	SpooledInput input;
	for (size_t at = 0; at < bytes.size(); at += piece) {
		const size_t size = std::min(piece, bytes.size() - at);
		EXPECT_TRUE(input.Append(bytes.data() + at, size, nullptr));
	}
	BPositionIO* stream = input.Stream();
	off_t size = 0;
	EXPECT_EQ(stream->GetSize(&size), B_OK);
	std::vector<uint8> out((size_t)size);
	EXPECT_EQ(stream->Read(out.data(), out.size()), (ssize_t)out.size());
	*spilled = dynamic_cast<BMemoryIO*>(stream) == nullptr;
	return out;
}

} // namespace

TEST(SpooledInput, SmallFilesStayInMemoryLargeOnesSpillWhole)
{
	bool spilled = false;
	const std::vector<uint8> small = pattern(100000);
	EXPECT_EQ(spooled(small, 4096, &spilled), small);
	EXPECT_FALSE(spilled);
	// Pieces that do not divide the threshold: one straddles it.
	const std::vector<uint8> large = pattern(kInMemoryInputBytes + 300000);
	for (size_t piece : {(size_t)65521, kInMemoryInputBytes + 1}) {
		EXPECT_EQ(spooled(large, piece, &spilled), large) << piece;
		EXPECT_TRUE(spilled) << piece;
	}
}
