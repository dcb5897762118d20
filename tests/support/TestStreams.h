#ifndef TEST_STREAMS_H
#define TEST_STREAMS_H

#include <DataIO.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// An input over a byte vector that counts the reads made on it.
class CountingInput : public BMemoryIO {
public:
	explicit CountingInput(const std::vector<uint8_t>& bytes)
	    : BMemoryIO(static_cast<const void*>(bytes.data()), bytes.size())
	{
	}

	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		fReads++;
		return BMemoryIO::ReadAt(position, buffer, size);
	}

	int Reads() const { return fReads; }

private:
	int fReads = 0;
};

// A growing output that stores at most limit bytes in all and counts the
// Write calls made on it, standing in for a full disk or a broken pipe.
class LimitedOutput : public BMallocIO {
public:
	explicit LimitedOutput(size_t limit = SIZE_MAX) : fLimit(limit) {}

	ssize_t Write(const void* buffer, size_t size) override
	{
		fWrites++;
		return BMallocIO::Write(buffer, size);
	}

	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override
	{
		size_t room = (size_t)position < fLimit ? fLimit - (size_t)position : 0;
		return BMallocIO::WriteAt(position, buffer, std::min(size, room));
	}

	std::vector<uint8_t> Bytes() const
	{
		const uint8_t* data = static_cast<const uint8_t*>(Buffer());
		return std::vector<uint8_t>(data, data + BufferLength());
	}

	int Writes() const { return fWrites; }

private:
	size_t fLimit;
	int fWrites = 0;
};

#endif
