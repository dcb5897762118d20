// Writes the benchmark's PSD files into a directory, for the command-line
// comparisons (translate against ImageMagick) of bench/run; with a case
// name, that case alone (the colour-managed ones only so), up to PSD's
// largest side.
//   bench_inputs DIR [SIDE [CASE]]

#include "BenchInputs.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
	if (argc < 2 || argc > 4) {
		fprintf(stderr, "usage: bench_inputs DIR [SIDE [CASE]]\n");
		return 2;
	}
	uint32_t side = argc >= 3 ? (uint32_t)strtoul(argv[2], nullptr, 10) : 4096;
	const uint32_t largest = argc == 4 ? 30000 : 16384;
	if (side < 2 || side > largest) {
		fprintf(stderr, "bench_inputs: SIDE must be 2 to %u\n", largest);
		return 2;
	}
	std::vector<std::pair<std::string, psdtest::Bytes>> files;
	const std::string only = argc == 4 ? argv[3] : "";
	// The colour-managed cases by name only.
	std::vector<BenchCase> cases = bench_cases(side);
	for (const BenchCase& c : bench_colour_cases(side)) {
		if (c.name == only)
			cases.push_back(c);
	}
	for (const BenchCase& c : cases) {
		if (only.empty() || c.name == only)
			files.emplace_back(c.name, bench_psd(c));
	}
	if (only.empty() || only == "layers10")
		files.emplace_back("layers10", bench_layered_psd(side, 10));
	// Only when asked: the batches of the command-line comparison stay as they are.
	if (only == "layers_effects")
		files.emplace_back("layers_effects", bench_effects_psd(side));
	for (const auto& [name, bytes] : files) {
		const std::string path = std::string(argv[1]) + "/" + name + ".psd";
		FILE* file = fopen(path.c_str(), "wb");
		bool ok = file != nullptr && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
		if (file != nullptr && fclose(file) != 0)
			ok = false;
		if (!ok) {
			perror(path.c_str());
			return 1;
		}
	}
	return 0;
}
