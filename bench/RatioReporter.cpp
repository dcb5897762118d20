#include "RatioReporter.h"

#include "Floors.h"

#include <cstdio>

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
	ConsoleReporter::ReportRuns(runs);
	for (const Run& run : runs) {
		if (run.error_occurred)
			continue;
		const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
		const double seconds = run.GetAdjustedRealTime() / unit;
		const double cpuSeconds = run.GetAdjustedCPUTime() / unit;
		const std::string& name = run.run_name.function_name;
		if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
			fMedians[name] = seconds;
			fCpuMedians[name] = cpuSeconds;
		} else if (run.run_type == Run::RT_Iteration) {
			fSingles[name] = seconds;
			fCpuSingles[name] = cpuSeconds;
		}
	}
}

double RatioReporter::Seconds(const std::string& name, bool cpu) const
{
	const std::map<std::string, double>& medians = cpu ? fCpuMedians : fMedians;
	const std::map<std::string, double>& singles = cpu ? fCpuSingles : fSingles;
	auto median = medians.find(name);
	if (median != medians.end())
		return median->second;
	auto single = singles.find(name);
	return single != singles.end() ? single->second : -1;
}

namespace {

void print_ratio(double part, double whole)
{
	if (part > 0 && whole > 0)
		printf(" %10.3f", part / whole);
	else
		printf(" %10s", "-");
}

void print_ms(double seconds)
{
	if (seconds > 0)
		printf(" %10.2f", seconds * 1e3);
	else
		printf(" %10s", "-");
}

} // namespace

// Translate's time as a ratio to an inflate library's plus the raw case's.
void RatioReporter::PrintZipRatio(const BenchCase& c, const char* inflater, bool cpu) const
{
	const double translate = Seconds("tarnwick_discard/" + c.name, cpu);
	const double inflate = Seconds(std::string(inflater) + "/" + c.name, cpu);
	const double raw = Seconds("tarnwick_discard/" + c.RawName(), cpu);
	print_ratio(translate, inflate > 0 && raw > 0 ? inflate + raw : -1);
}

// Each ZIP case's Translate beside the inflate libraries alone on its
// stream and the raw case's Translate of the same image: the goal is at most
// 1.3 x (inflate + raw). On a machine others share, the CPU times' ratios
// vary less than the wall-clock ones.
void RatioReporter::PrintZipTable() const
{
	bool header = false;
	for (const BenchCase& c : fCases) {
		const double translate = Seconds("tarnwick_discard/" + c.name);
		if (!c.IsZip() || translate < 0)
			continue;
		if (!header) {
			printf("\nZIP cases: Translate against the inflate of the same stream alone "
			       "(zlib, libdeflate)\nand the raw case's Translate:\n\n");
			printf("%-30s %10s %10s %10s %10s %11s %12s %11s %12s\n", "case", "ms", "zlib ms",
			       "ldefl ms", "raw ms", "/(zlib+raw)", "/(ldefl+raw)", "cpu: /zlib+", "/ldefl+");
			header = true;
		}
		printf("%-30s", c.name.c_str());
		print_ms(translate);
		print_ms(Seconds("zlib_inflate/" + c.name));
		print_ms(Seconds("libdeflate_inflate/" + c.name));
		print_ms(Seconds("tarnwick_discard/" + c.RawName()));
		for (bool cpu : {false, true}) {
			printf(" ");
			PrintZipRatio(c, "zlib_inflate", cpu);
			printf("  ");
			PrintZipRatio(c, "libdeflate_inflate", cpu);
		}
		printf("\n");
	}
}

// Colour-managed Translate against the same Translate unmanaged (goals: at
// most 3 x for CMYK, 2 x for Adobe RGB) and against lcms2's cmsDoTransform
// of the same pixels (goal for CMYK: at most 0.15 x), in wall-clock time and
// in the CPU time of all the process's threads.
void RatioReporter::PrintColourTable() const
{
	bool header = false;
	for (const BenchCase& c : bench_colour_cases(0)) {
		const double managed = Seconds("colour_managed/" + c.name);
		if (managed < 0)
			continue;
		if (!header) {
			printf(
			    "\nColour management: Translate asked for sRGB against the same Translate "
			    "without\nthe request and against lcms2's cmsDoTransform of the same pixels:\n\n");
			printf("%-30s %10s %10s %10s %10s %10s %11s %10s\n", "case", "ms", "plain ms",
			       "lcms2 ms", "/plain", "/lcms2", "cpu: /plain", "/lcms2");
			header = true;
		}
		printf("%-30s", c.name.c_str());
		print_ms(managed);
		print_ms(Seconds("colour_unmanaged/" + c.name));
		print_ms(Seconds("lcms2_transform/" + c.name));
		for (bool cpu : {false, true}) {
			const double ours = Seconds("colour_managed/" + c.name, cpu);
			print_ratio(ours, Seconds("colour_unmanaged/" + c.name, cpu));
			print_ratio(ours, Seconds("lcms2_transform/" + c.name, cpu));
		}
		printf("\n");
	}
}

void RatioReporter::Finalize()
{
	ConsoleReporter::Finalize();
	printf("\nTarnwick's Translate (into a discarding stream) against stb_image and the "
	       "write floors\nof the same pixel count, %s:\n\n",
	       fMedians.empty() ? "single runs" : "medians");
	printf("%-30s %10s %10s %10s %10s %10s %10s %10s\n", "case", "ms", "/stb", "/stb warm",
	       "/4p huge", "/4p warm", "/4p fresh", "MallocIO");
	for (const BenchCase& c : fCases) {
		double translate = Seconds("tarnwick_discard/" + c.name);
		if (translate < 0)
			continue;
		printf("%-30s", c.name.c_str());
		print_ms(translate);
		print_ratio(translate, Seconds("stb/" + c.name));
		print_ratio(translate, Seconds("stb_warm/" + c.name));
		const uint64_t px = c.Pixels();
		print_ratio(translate,
		            Seconds(floor_name(FloorWrite::kFourPasses, FloorPages::kFreshHuge, px)));
		print_ratio(translate, Seconds(floor_name(FloorWrite::kFourPasses, FloorPages::kWarm, px)));
		print_ratio(translate,
		            Seconds(floor_name(FloorWrite::kFourPasses, FloorPages::kFresh, px)));
		print_ms(Seconds("tarnwick_mallocio/" + c.name));
		printf("\n");
	}
	PrintZipTable();
	PrintColourTable();
	const double render = Seconds("layers_render"), channels = Seconds("layers_channels");
	if (render > 0 && channels > 0)
		printf("\nTen full-canvas layers: rendered in %.1f ms, their channels decoded alone in "
		       "%.1f ms: %.2f x\n",
		       render * 1e3, channels * 1e3, render / channels);
	double screen = Seconds("wendral_mallocio/screen");
	if (screen > 0)
		printf("\nWendral: %.0f screens/s through Translate into a BMallocIO (one thread)\n",
		       1 / screen);
	fflush(stdout);
}
