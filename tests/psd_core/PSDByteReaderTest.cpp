// The byte reader over memory and over a stream: the same fields, the same
// failures, and a failure that stays.

#include <core/PSDByteReader.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace psdtest;

namespace {

const Bytes kFields = {0xAB, 0x80, 0x01, 0xFF, 0xFE, 0x3F, 0xC0, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78,
                       0x9A, 0xBC, 0xDE, 0xF0, 0x3F, 0xF8, 0,    0,    0,    0,    0,    0};

// Both forms over the same bytes: the memory itself, and a stream holding
// them behind a lead of 40 bytes that hands out 3 bytes a read.
struct Forms {
	explicit Forms(const Bytes& bytes) : stored(40 + bytes.size(), 0xEE)
	{
		std::copy(bytes.begin(), bytes.end(), stored.begin() + 40);
		io.reset(new ChunkedIO(stored, 3));
		memory.reset(new PSDByteReader(bytes.data(), bytes.size()));
		stream.reset(new PSDByteReader(io.get(), 40, 40 + bytes.size()));
	}
	Bytes stored;
	std::unique_ptr<ChunkedIO> io;
	std::unique_ptr<PSDByteReader> memory, stream;
};

TEST(PSDByteReader, BothFormsReadTheSameFields)
{
	Forms forms(kFields);
	for (PSDByteReader* reader : {forms.memory.get(), forms.stream.get()}) {
		const uint64 start = reader->Position();
		EXPECT_EQ(0xAB, reader->Uint8());
		EXPECT_EQ(0x8001, reader->Big16());
		EXPECT_EQ(-2, reader->BigInt16());
		EXPECT_EQ(1.5f, reader->BigFloat());
		EXPECT_EQ(0x12345678u, reader->Big32());
		EXPECT_EQ(0x9ABCDEF03FF80000u, reader->Big64());
		uint8 bytes[3];
		EXPECT_TRUE(reader->Read(bytes, sizeof(bytes)));
		EXPECT_EQ(Bytes(3, 0), Bytes(bytes, bytes + 3));
		EXPECT_EQ(start + 24, reader->Position());
		EXPECT_EQ(1u, reader->Left());
		EXPECT_TRUE(reader->Seek(start + 17));
		EXPECT_EQ(1.5, reader->BigDouble());
		EXPECT_FALSE(reader->Failed());
	}
}

// A read that crosses the end fails and gives zero; so does every read
// after it, even one that would fit.
TEST(PSDByteReader, AShortReadFailsEveryLaterRead)
{
	Forms forms({1, 2, 3});
	for (PSDByteReader* reader : {forms.memory.get(), forms.stream.get()}) {
		const uint64 start = reader->Position();
		EXPECT_EQ(0u, reader->Big32());
		EXPECT_TRUE(reader->Failed());
		EXPECT_EQ(0u, reader->Left());
		EXPECT_EQ(0, reader->Uint8());
		EXPECT_FALSE(reader->Seek(start));
		EXPECT_EQ(0, reader->Big16());
		EXPECT_FALSE(reader->Skip(0));
		EXPECT_EQ(start, reader->Position());
	}
}

// A stretch of a stretch ends where the outer one does, and positions stay
// those of the whole.
TEST(PSDByteReader, StretchesEndWithTheirOuterStretch)
{
	Forms forms(kFields);
	for (PSDByteReader* reader : {forms.memory.get(), forms.stream.get()}) {
		const uint64 start = reader->Position();
		reader->Skip(21);
		PSDByteReader sub = reader->Sub(1000);
		EXPECT_EQ(start + 21, sub.Position());
		EXPECT_EQ(4u, sub.Left());
		EXPECT_EQ(0u, sub.Big32());
		EXPECT_FALSE(sub.Failed());
		EXPECT_FALSE(sub.Seek(start + 20));
		EXPECT_EQ(4u, reader->Left()) << "the outer stretch did not move";
	}
}

// A stretch that claims more than the stream holds ends with the stream;
// fields across the reader's buffer of 64 KiB read whole.
TEST(PSDByteReader, StreamsEndWhereTheirBytesDo)
{
	Bytes bytes(70000);
	for (size_t i = 0; i < bytes.size(); i++)
		bytes[i] = (uint8)(i * 7);
	BMemoryIO io(bytes.data(), bytes.size());
	PSDByteReader reader(&io, 10, UINT64_MAX);
	EXPECT_EQ(bytes[10], reader.Uint8());
	ASSERT_TRUE(reader.Skip(65533));
	EXPECT_EQ((uint32)bytes[65544] << 24 | bytes[65545] << 16 | bytes[65546] << 8 | bytes[65547],
	          reader.Big32());
	EXPECT_EQ(bytes.size() - 65548, reader.Left());
	EXPECT_EQ(bytes.size(), reader.End());
	Bytes rest(bytes.size() - 65548);
	EXPECT_TRUE(reader.Read(rest.data(), rest.size()));
	EXPECT_EQ(Bytes(bytes.begin() + 65548, bytes.end()), rest);
	EXPECT_EQ(0, reader.Uint8());
	EXPECT_TRUE(reader.Failed());
}

} // namespace
