#include "Floors.h"

#include <benchmark/benchmark.h>

#include <sys/mman.h>

#include <cstring>

namespace {

const size_t kHugePage = 2u << 20;

void write_pixels(FloorWrite write, uint8_t* bytes, uint64_t pixels, uint8_t value)
{
	switch (write) {
	case FloorWrite::kMemset:
		memset(bytes, value, pixels * 4);
		break;
	case FloorWrite::kOnePass:
		for (uint64_t i = 0; i < pixels; i++)
			bytes[4 * i + 2] = value;
		break;
	case FloorWrite::kFourPasses:
		for (int b = 0; b < 4; b++) {
			for (uint64_t i = 0; i < pixels; i++)
				bytes[4 * i + b] = value;
			benchmark::ClobberMemory();
		}
		break;
	}
	benchmark::ClobberMemory();
}

void run_floor(benchmark::State& state, FloorWrite write, FloorPages pages, uint64_t pixels)
{
	const size_t bytes = pixels * 4;
	uint8_t* warm = nullptr;
	if (pages == FloorPages::kWarm) {
		warm = (uint8_t*)map_fresh(bytes);
		if (warm != nullptr)
			memset(warm, 1, bytes);
	}
	uint8_t value = 0;
	for (auto _ : state) {
		size_t mapped = bytes;
		uint8_t* buffer = warm;
		if (pages == FloorPages::kFresh)
			buffer = (uint8_t*)map_fresh(bytes);
		else if (pages == FloorPages::kFreshHuge)
			buffer = (uint8_t*)map_huge(bytes, &mapped);
		if (buffer == nullptr) {
			state.SkipWithError("cannot map the buffer");
			break;
		}
		write_pixels(write, buffer, pixels, ++value);
		if (buffer != warm)
			munmap(buffer, mapped);
	}
	if (warm != nullptr)
		munmap(warm, bytes);
	state.SetBytesProcessed((int64_t)(state.iterations() * bytes));
}

} // namespace

void* map_fresh(size_t bytes)
{
	void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	return p == MAP_FAILED ? nullptr : p;
}

void* map_huge(size_t bytes, size_t* mappedBytes)
{
	// Over-map by one huge page and trim, so the kept part starts aligned.
	size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
	uint8_t* raw = (uint8_t*)map_fresh(rounded + kHugePage);
	if (raw == nullptr)
		return nullptr;
	uint8_t* aligned = (uint8_t*)(((uintptr_t)raw + kHugePage - 1) & ~(uintptr_t)(kHugePage - 1));
	if (aligned > raw)
		munmap(raw, aligned - raw);
	size_t tail = (raw + rounded + kHugePage) - (aligned + rounded);
	if (tail > 0)
		munmap(aligned + rounded, tail);
	madvise(aligned, rounded, MADV_HUGEPAGE);
	*mappedBytes = rounded;
	return aligned;
}

std::string floor_name(FloorWrite write, FloorPages pages, uint64_t pixels)
{
	static const char* const kWrites[] = {"memset", "1pass", "4pass"};
	static const char* const kPages[] = {"fresh", "fresh_huge", "warm"};
	return std::string("floor_") + kWrites[(int)write] + "_" + kPages[(int)pages] + "/" +
	       std::to_string(pixels) + "px";
}

void register_floor(FloorWrite write, FloorPages pages, uint64_t pixels)
{
	benchmark::RegisterBenchmark(
	    floor_name(write, pages, pixels).c_str(),
	    [=](benchmark::State& state) { run_floor(state, write, pages, pixels); })
	    ->Unit(benchmark::kMillisecond)
	    ->UseRealTime();
}
