#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

// What the fuzz targets share: a check that stops the run, big-endian reads
// of the raw input, and an output stream that counts its writes.

#include <DataIO.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A broken invariant is a finding: libFuzzer and the replay driver both stop
// on the abort and keep the input.
#define FUZZ_CHECK(condition)                                                                      \
	do {                                                                                           \
		if (!(condition)) {                                                                        \
			fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);          \
			abort();                                                                               \
		}                                                                                          \
	} while (0)

inline uint32_t fuzzBig16(const uint8_t* p)
{
	return (uint32_t)p[0] << 8 | p[1];
}

inline uint32_t fuzzBig32(const uint8_t* p)
{
	return fuzzBig16(p) << 16 | fuzzBig16(p + 2);
}

// A growing output that counts the Write calls made on it.
class CountingOutput : public BMallocIO {
public:
	ssize_t Write(const void* buffer, size_t size) override
	{
		writes++;
		return BMallocIO::Write(buffer, size);
	}

	const uint8_t* Bytes() const { return (const uint8_t*)Buffer(); }

	int writes = 0;
};

#endif
