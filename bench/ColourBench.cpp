#include "ColourBench.h"

#include "BenchInputs.h"
#include "DropIO.h"

#include <Message.h>
#include <TranslatorFormats.h>

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <memory>

namespace {

// A case's file, made on first use and kept for the rest of the run.
struct ColourCase {
	BenchCase benchCase;
	psdtest::Bytes file;

	const psdtest::Bytes& File()
	{
		if (file.empty())
			file = bench_psd(benchCase);
		return file;
	}
};

void run_translate(benchmark::State& state, BTranslatorRoster& roster, ColourCase& c, bool managed)
{
	if (bench_profile(c.benchCase.profile).empty()) {
		state.SkipWithError("the profile is not installed (libgs-common)");
		return;
	}
	const psdtest::Bytes& psd = c.File();
	BMemoryIO in(psd.data(), psd.size());
	translator_info info;
	if (roster.Identify(&in, nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP) != B_OK) {
		state.SkipWithError("no translator identifies the file");
		return;
	}
	BMessage extension;
	if (managed)
		extension.AddInt32(B_TRANSLATOR_EXT_COLOR_MANAGEMENT, B_TRANSLATOR_COLOR_SRGB);
	// The profile's table is made once for the life of the add-on, by the
	// first reading that needs it: that one is not timed.
	DropIO first;
	BMessage answer(extension);
	if (roster.Translate(&in, &info, &answer, &first, B_TRANSLATOR_BITMAP) != B_OK) {
		state.SkipWithError("Translate failed");
		return;
	}
	for (auto _ : state) {
		BMessage asked(extension);
		DropIO out;
		if (roster.Translate(&in, &info, &asked, &out, B_TRANSLATOR_BITMAP) != B_OK) {
			state.SkipWithError("Translate failed");
			break;
		}
	}
	state.SetItemsProcessed((int64_t)(state.iterations() * c.benchCase.Pixels()));
}

// lcms2 with the settings Tarnwick's tables come from (relative
// colorimetric, black point compensation), on 8-bit pixels: CMYK stored
// inverted, as Photoshop keeps it.
void run_lcms2(benchmark::State& state, const BenchCase& c)
{
	const psdtest::Bytes profile = bench_profile(c.profile);
	cmsHPROFILE in = cmsOpenProfileFromMem(profile.data(), (cmsUInt32Number)profile.size());
	cmsHPROFILE srgb = cmsCreate_sRGBProfile();
	const bool cmyk = c.channels == 4;
	cmsHTRANSFORM transform =
	    in == nullptr
	        ? nullptr
	        : cmsCreateTransform(in, cmyk ? TYPE_CMYK_8_REV : TYPE_RGB_8, srgb, TYPE_BGRA_8,
	                             INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
	if (transform == nullptr) {
		state.SkipWithError("lcms2 cannot make the transform");
	} else {
		const std::vector<psdtest::Bytes> planes = bench_planes(c);
		const size_t pixels = c.Pixels();
		std::unique_ptr<uint8_t[]> samples(new uint8_t[pixels * c.channels]);
		for (size_t i = 0; i < pixels; i++) {
			for (int p = 0; p < c.channels; p++)
				samples[i * c.channels + p] = planes[p][i];
		}
		std::unique_ptr<uint8_t[]> out(new uint8_t[pixels * 4]);
		for (auto _ : state) {
			cmsDoTransform(transform, samples.get(), out.get(), (cmsUInt32Number)pixels);
			benchmark::DoNotOptimize(out.get());
		}
		state.SetItemsProcessed((int64_t)(state.iterations() * pixels));
		cmsDeleteTransform(transform);
	}
	if (in != nullptr)
		cmsCloseProfile(in);
	cmsCloseProfile(srgb);
}

// CPU time counts every thread of the process: the conversions run on all
// cores.
benchmark::internal::Benchmark* timed(benchmark::internal::Benchmark* benchmark)
{
	return benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

} // namespace

void register_colour_benchmarks(BTranslatorRoster& roster, uint32_t side)
{
	for (const BenchCase& c : bench_colour_cases(side)) {
		if (c.content != Content::kPhoto)
			continue;
		std::shared_ptr<ColourCase> file(new ColourCase{c, {}});
		timed(benchmark::RegisterBenchmark(("colour_unmanaged/" + c.name).c_str(),
		                                   [&roster, file](benchmark::State& state) {
			                                   run_translate(state, roster, *file, false);
		                                   }));
		timed(benchmark::RegisterBenchmark(("colour_managed/" + c.name).c_str(),
		                                   [&roster, file](benchmark::State& state) {
			                                   run_translate(state, roster, *file, true);
		                                   }));
		timed(benchmark::RegisterBenchmark(("lcms2_transform/" + c.name).c_str(),
		                                   [c](benchmark::State& state) { run_lcms2(state, c); }));
	}
}
