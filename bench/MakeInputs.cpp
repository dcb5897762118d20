// Writes the benchmark's PSD files into a directory, for the command-line
// comparisons (translate against ImageMagick) of bench/run.
//   bench_inputs DIR [SIDE]

#include "BenchInputs.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
	if (argc < 2 || argc > 3) {
		fprintf(stderr, "usage: bench_inputs DIR [SIDE]\n");
		return 2;
	}
	uint32_t side = argc == 3 ? (uint32_t)strtoul(argv[2], nullptr, 10) : 4096;
	if (side < 2 || side > 16384) {
		fprintf(stderr, "bench_inputs: SIDE must be 2 to 16384\n");
		return 2;
	}
	std::vector<std::pair<std::string, psdtest::Bytes>> files;
	for (const BenchCase& c : bench_cases(side))
		files.emplace_back(c.name, bench_psd(c));
	files.emplace_back("layers10", bench_layered_psd(side, 10));
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
