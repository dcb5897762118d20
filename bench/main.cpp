// Decoding benchmarks: Tarnwick and Wendral through the roster, stb_image on
// the same PSD bytes, and the memory-write floors, all in one run.
//
// BENCH_SIZE (default 4096) sets the side of the 8-bit images; 16-bit images
// are half as wide and high.

#include "BenchInputs.h"
#include "ColourBench.h"
#include "Decoders.h"
#include "Floors.h"
#include "LayerBench.h"
#include "RatioReporter.h"

#include <TranslatorRoster.h>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace {

uint32_t bench_side()
{
	const char* text = getenv("BENCH_SIZE");
	long side = text != nullptr ? strtol(text, nullptr, 10) : 4096;
	return side >= 2 && side <= 16384 ? (uint32_t)side : 4096;
}

// Tarnwick reads its settings when it is loaded: alpha4 on, in a folder of
// the benchmark's own that goes away at the end.
class SettingsHome {
public:
	SettingsHome()
	{
		char pattern[] = "/tmp/psd-bench-XXXXXX";
		if (mkdtemp(pattern) == nullptr)
			return;
		fPath = pattern;
		std::ofstream(fPath + "/Tarnwick_Settings") << "alpha4 = 1\nmultichannelRead = 1\n";
		setenv("XDG_CONFIG_HOME", fPath.c_str(), 1);
	}
	~SettingsHome()
	{
		if (!fPath.empty())
			std::filesystem::remove_all(fPath);
	}
	bool Ready() const { return !fPath.empty(); }

private:
	std::string fPath;
};

} // namespace

int main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	if (benchmark::ReportUnrecognizedArguments(argc, argv))
		return 1;

	SettingsHome home;
	if (!home.Ready()) {
		fprintf(stderr, "psd_bench: cannot make a settings folder in /tmp\n");
		return 1;
	}
	int status = 0;
	{
		BTranslatorRoster roster;
		if (roster.AddTranslators(TRANSLATORS_DIR) != B_OK) {
			fprintf(stderr, "psd_bench: cannot read %s\n", TRANSLATORS_DIR);
			return 1;
		}
		const std::vector<BenchCase> cases = bench_cases(bench_side());
		std::set<uint64_t> sizes;
		for (const BenchCase& c : cases) {
			register_psd_benchmarks(roster, c);
			sizes.insert(c.Pixels());
		}
		for (uint64_t pixels : sizes) {
			for (FloorWrite write :
			     {FloorWrite::kMemset, FloorWrite::kOnePass, FloorWrite::kFourPasses}) {
				for (FloorPages pages :
				     {FloorPages::kFresh, FloorPages::kFreshHuge, FloorPages::kWarm})
					register_floor(write, pages, pixels);
			}
		}
		register_screen_benchmark(roster);
		register_layer_benchmarks(roster, bench_side());
		register_colour_benchmarks(roster, bench_side());

		RatioReporter reporter(cases, isatty(STDOUT_FILENO));
		if (benchmark::RunSpecifiedBenchmarks(&reporter) == 0)
			status = 1;
		benchmark::Shutdown();
	}
	return status;
}
