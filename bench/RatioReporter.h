#ifndef BENCH_RATIO_REPORTER_H
#define BENCH_RATIO_REPORTER_H

#include "BenchInputs.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The console report, followed by a table of each case's Translate time as
// a ratio to the peers and floors measured in the same run: medians where
// the run has repetitions, else the single result.
class RatioReporter : public benchmark::ConsoleReporter {
public:
	// Colours only on a terminal.
	RatioReporter(std::vector<BenchCase> cases, bool colour)
	    : ConsoleReporter(colour ? OO_Defaults : OO_Tabular), fCases(std::move(cases))
	{
	}

	void ReportRuns(const std::vector<Run>& runs) override;
	void Finalize() override;

private:
	// Seconds per iteration, wall-clock or the CPU's; negative when the
	// benchmark did not run.
	double Seconds(const std::string& name, bool cpu = false) const;
	void PrintZipRatio(const BenchCase& c, const char* inflater, bool cpu) const;
	void PrintZipTable() const;
	void PrintColourTable() const;

	std::vector<BenchCase> fCases;
	std::map<std::string, double> fMedians;
	std::map<std::string, double> fSingles;
	std::map<std::string, double> fCpuMedians;
	std::map<std::string, double> fCpuSingles;
};

#endif
