#include "RatioReporter.h"

#include "Floors.h"

#include <cstdio>

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
	ConsoleReporter::ReportRuns(runs);
	for (const Run& run : runs) {
		if (run.error_occurred)
			continue;
		double seconds
			= run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
		const std::string& name = run.run_name.function_name;
		if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
			fMedians[name] = seconds;
		else if (run.run_type == Run::RT_Iteration)
			fSingles[name] = seconds;
	}
}

double RatioReporter::Seconds(const std::string& name) const
{
	auto median = fMedians.find(name);
	if (median != fMedians.end())
		return median->second;
	auto single = fSingles.find(name);
	return single != fSingles.end() ? single->second : -1;
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

}  // namespace

// Each ZIP case's Translate beside the inflate libraries alone on its
// stream and the raw case's Translate of the same image: the goal is at most
// 1.3 x (inflate + raw).
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
			printf("%-30s %10s %10s %10s %10s %10s %10s %10s\n", "case", "ms", "zlib ms",
				"ldefl ms", "raw ms", "/zlib", "/(zlib+raw)", "/(ldefl+raw)");
			header = true;
		}
		const double zlib = Seconds("zlib_inflate/" + c.name);
		const double libdeflate = Seconds("libdeflate_inflate/" + c.name);
		const double raw = Seconds("tarnwick_discard/" + c.RawName());
		printf("%-30s", c.name.c_str());
		print_ms(translate);
		print_ms(zlib);
		print_ms(libdeflate);
		print_ms(raw);
		print_ratio(translate, zlib);
		print_ratio(translate, zlib > 0 && raw > 0 ? zlib + raw : -1);
		print_ratio(translate, libdeflate > 0 && raw > 0 ? libdeflate + raw : -1);
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
	double screen = Seconds("wendral_mallocio/screen");
	if (screen > 0)
		printf("\nWendral: %.0f screens/s through Translate into a BMallocIO (one thread)\n",
			1 / screen);
	fflush(stdout);
}
