// Runs a fuzz target once over each file named, or over every file in each
// folder named (in name order), without libFuzzer: the normal test suite
// replays seeds and regression files through the target's own checks.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool isDirectory(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> filesIn(const std::string& folder)
{
	std::vector<std::string> files;
	if (DIR* dir = opendir(folder.c_str())) {
		while (dirent* entry = readdir(dir)) {
			std::string path = folder + "/" + entry->d_name;
			if (entry->d_name[0] != '.' && !isDirectory(path))
				files.push_back(path);
		}
		closedir(dir);
	}
	std::sort(files.begin(), files.end());
	return files;
}

} // namespace

int main(int argc, char** argv)
{
	if (LLVMFuzzerInitialize != nullptr)
		LLVMFuzzerInitialize(&argc, &argv);

	std::vector<std::string> files;
	for (int i = 1; i < argc; i++) {
		if (isDirectory(argv[i])) {
			std::vector<std::string> inFolder = filesIn(argv[i]);
			files.insert(files.end(), inFolder.begin(), inFolder.end());
		} else {
			files.push_back(argv[i]);
		}
	}
	for (const std::string& path : files) {
		std::ifstream file(path, std::ios::binary);
		if (!file) {
			fprintf(stderr, "cannot read %s\n", path.c_str());
			return 1;
		}
		std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
		                          std::istreambuf_iterator<char>());
		fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), data.size());
		LLVMFuzzerTestOneInput(data.data(), data.size());
	}
	printf("%zu inputs replayed\n", files.size());
	return files.empty() ? 1 : 0;
}
