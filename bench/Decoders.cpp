#include "Decoders.h"

#include "StbImage.h"

#include <TranslatorFormats.h>

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <sys/mman.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// Takes whatever is written and keeps nothing.
class DiscardIO : public BPositionIO {
public:
	ssize_t ReadAt(off_t, void*, size_t) override { return 0; }
	ssize_t WriteAt(off_t position, const void*, size_t size) override
	{
		if (position + (off_t)size > fEnd)
			fEnd = position + (off_t)size;
		return (ssize_t)size;
	}
	off_t Seek(off_t position, uint32 mode) override
	{
		off_t base = mode == SEEK_CUR ? fPosition : mode == SEEK_END ? fEnd : 0;
		if (base + position < 0)
			return B_BAD_VALUE;
		return fPosition = base + position;
	}
	off_t Position() const override { return fPosition; }

private:
	off_t fPosition = 0;
	off_t fEnd = 0;
};

// A case's file, made on first use and kept for the rest of the run.
class CaseFile {
public:
	explicit CaseFile(const BenchCase& benchCase) : fCase(benchCase) {}
	const psdtest::Bytes& Bytes()
	{
		if (fBytes.empty())
			fBytes = bench_psd(fCase);
		return fBytes;
	}

private:
	BenchCase fCase;
	psdtest::Bytes fBytes;
};

bool identify(BTranslatorRoster& roster, BPositionIO* in, translator_info* info)
{
	return roster.Identify(in, nullptr, info, 0, nullptr, B_TRANSLATOR_BITMAP) == B_OK;
}

template <class Output>
void run_translate(benchmark::State& state, BTranslatorRoster& roster, CaseFile& file,
                   uint64_t pixels)
{
	const psdtest::Bytes& psd = file.Bytes();
	BMemoryIO in(psd.data(), psd.size());
	translator_info info;
	if (!identify(roster, &in, &info)) {
		state.SkipWithError("no translator identifies the file");
		return;
	}
	for (auto _ : state) {
		Output out;
		if (roster.Translate(&in, &info, nullptr, &out, B_TRANSLATOR_BITMAP) != B_OK) {
			state.SkipWithError("Translate failed");
			break;
		}
		benchmark::DoNotOptimize(out);
	}
	state.SetBytesProcessed((int64_t)(state.iterations() * pixels * 4));
}

// stb_image's RGBA against Tarnwick's BGRA of the same file. With alpha
// below 255 stb_image unmattes the colours, so only alpha is compared there.
bool stb_agrees(BTranslatorRoster& roster, const psdtest::Bytes& psd)
{
	BMemoryIO in(psd.data(), psd.size());
	translator_info info;
	BMallocIO bitmap;
	if (!identify(roster, &in, &info) ||
	    roster.Translate(&in, &info, nullptr, &bitmap, B_TRANSLATOR_BITMAP) != B_OK)
		return false;
	int width, height;
	unsigned char* rgba = bench_stb_load_rgba(psd.data(), psd.size(), &width, &height);
	if (rgba == nullptr)
		return false;
	const uint8_t* bgra = (const uint8_t*)bitmap.Buffer() + sizeof(TranslatorBitmap);
	size_t pixels = (size_t)width * height;
	bool same = bitmap.BufferLength() == sizeof(TranslatorBitmap) + pixels * 4;
	for (size_t i = 0; same && i < pixels; i++) {
		const uint8_t* a = rgba + 4 * i;
		const uint8_t* b = bgra + 4 * i;
		same = a[3] == b[3] && (a[3] != 255 || (a[0] == b[2] && a[1] == b[1] && a[2] == b[0]));
	}
	bench_stb_free_image(rgba);
	return same;
}

void run_stb(benchmark::State& state, BTranslatorRoster& roster, CaseFile& file, uint64_t pixels,
             bool warm)
{
	const psdtest::Bytes& psd = file.Bytes();
	if (!stb_agrees(roster, psd)) {
		state.SkipWithError("stb_image and Tarnwick decode the file differently");
		return;
	}
	const size_t arenaSize = pixels * 4 + (1u << 20);
	uint8_t* arena = nullptr;
	if (warm) {
		void* p =
		    mmap(nullptr, arenaSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
		arena = p == MAP_FAILED ? nullptr : (uint8_t*)p;
		if (arena == nullptr) {
			state.SkipWithError("cannot map the arena");
			return;
		}
		memset(arena, 1, arenaSize);
	}
	for (auto _ : state) {
		bench_stb_use_arena(arena, arenaSize);
		int width, height;
		unsigned char* rgba = bench_stb_load_rgba(psd.data(), psd.size(), &width, &height);
		if (rgba == nullptr) {
			state.SkipWithError("stb_image cannot read the file");
			break;
		}
		benchmark::DoNotOptimize(rgba);
		bench_stb_free_image(rgba);
	}
	bench_stb_use_arena(nullptr, 0);
	if (arena != nullptr)
		munmap(arena, arenaSize);
	state.SetBytesProcessed((int64_t)(state.iterations() * pixels * 4));
}

enum class Inflater { kZlib, kLibdeflate };

// The inflate library alone on a ZIP case's stream, into one buffer of the
// size the image implies, warm after the first iteration.
void run_inflate(benchmark::State& state, CaseFile& file, const BenchCase& benchCase,
                 Inflater inflater)
{
	const psdtest::Bytes& psd = file.Bytes();
	const size_t offset = bench_zip_stream_offset(benchCase);
	const uint8_t* stream = psd.data() + offset;
	const size_t streamSize = psd.size() - offset;
	std::vector<uint8_t> out(bench_zip_inflated_size(benchCase));
	libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
	if (decompressor == nullptr) {
		state.SkipWithError("libdeflate_alloc_decompressor failed");
		return;
	}
	for (auto _ : state) {
		bool whole;
		if (inflater == Inflater::kZlib) {
			uLongf size = (uLongf)out.size();
			whole = uncompress(out.data(), &size, stream, (uLong)streamSize) == Z_OK &&
			        size == out.size();
		} else {
			size_t size = 0;
			whole = libdeflate_zlib_decompress(decompressor, stream, streamSize, out.data(),
			                                   out.size(), &size) == LIBDEFLATE_SUCCESS &&
			        size == out.size();
		}
		if (!whole) {
			state.SkipWithError("the stream does not inflate to the image");
			break;
		}
		benchmark::DoNotOptimize(out.data());
	}
	libdeflate_free_decompressor(decompressor);
	state.SetBytesProcessed((int64_t)(state.iterations() * out.size()));
}

benchmark::internal::Benchmark* timed(benchmark::internal::Benchmark* benchmark)
{
	return benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

// A screen whose cells and bits all differ, so no branch is always taken.
psdtest::Bytes test_screen()
{
	psdtest::Bytes screen(6912);
	uint32_t state = 2463534242u;
	for (uint8_t& byte : screen) {
		state ^= state << 13;
		state ^= state >> 17;
		state ^= state << 5;
		byte = (uint8_t)state;
	}
	return screen;
}

} // namespace

void register_psd_benchmarks(BTranslatorRoster& roster, const BenchCase& benchCase)
{
	auto file = std::make_shared<CaseFile>(benchCase);
	const uint64_t pixels = benchCase.Pixels();
	BTranslatorRoster* r = &roster;
	timed(benchmark::RegisterBenchmark(
	    ("tarnwick_discard/" + benchCase.name).c_str(),
	    [=](benchmark::State& state) { run_translate<DiscardIO>(state, *r, *file, pixels); }));
	timed(benchmark::RegisterBenchmark(
	    ("tarnwick_mallocio/" + benchCase.name).c_str(),
	    [=](benchmark::State& state) { run_translate<BMallocIO>(state, *r, *file, pixels); }));
	if (benchCase.IsZip()) {
		timed(benchmark::RegisterBenchmark(
		    ("zlib_inflate/" + benchCase.name).c_str(), [=](benchmark::State& state) {
			    run_inflate(state, *file, benchCase, Inflater::kZlib);
		    }));
		timed(benchmark::RegisterBenchmark(
		    ("libdeflate_inflate/" + benchCase.name).c_str(), [=](benchmark::State& state) {
			    run_inflate(state, *file, benchCase, Inflater::kLibdeflate);
		    }));
	}
	if (!benchCase.stbReads)
		return;
	timed(benchmark::RegisterBenchmark(
	    ("stb/" + benchCase.name).c_str(),
	    [=](benchmark::State& state) { run_stb(state, *r, *file, pixels, false); }));
	timed(benchmark::RegisterBenchmark(
	    ("stb_warm/" + benchCase.name).c_str(),
	    [=](benchmark::State& state) { run_stb(state, *r, *file, pixels, true); }));
}

void register_screen_benchmark(BTranslatorRoster& roster)
{
	BTranslatorRoster* r = &roster;
	benchmark::RegisterBenchmark("wendral_mallocio/screen", [=](benchmark::State& state) {
		const psdtest::Bytes screen = test_screen();
		BMemoryIO in(screen.data(), screen.size());
		translator_info info;
		if (!identify(*r, &in, &info)) {
			state.SkipWithError("no translator identifies the screen");
			return;
		}
		for (auto _ : state) {
			BMallocIO out;
			if (r->Translate(&in, &info, nullptr, &out, B_TRANSLATOR_BITMAP) != B_OK) {
				state.SkipWithError("Translate failed");
				break;
			}
			benchmark::DoNotOptimize(out);
		}
		state.SetItemsProcessed((int64_t)state.iterations());
	})->UseRealTime();
}
