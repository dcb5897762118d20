// The file-system work of a translate -d OUT batch and nothing else: for each
// input, look at it and read it, write as many bytes as its conversion made
// to a temporary file beside the target, rename it into place. Prints the
// milliseconds taken, so that bench/run can set translate's -j figures
// against the part of them that no translator code can shorten.
//   file_floor OUT_DIR THREADS INPUT=OUTPUT_BYTES...

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Job {
	std::string input;
	size_t outputBytes;
};

bool convert_nothing(const std::string& directory, const Job& job, std::vector<char>& buffer)
{
	struct stat st;
	if (stat(job.input.c_str(), &st) != 0)
		return false;
	int in = open(job.input.c_str(), O_RDONLY | O_CLOEXEC);
	if (in < 0)
		return false;
	while (read(in, buffer.data(), buffer.size()) > 0) {
	}
	close(in);

	std::string leaf = job.input.substr(job.input.rfind('/') + 1);
	std::string pattern = directory + "/." + leaf + ".XXXXXX";
	std::vector<char> name(pattern.begin(), pattern.end());
	name.push_back('\0');
	int out = mkostemp(name.data(), O_CLOEXEC);
	if (out < 0)
		return false;
	fchmod(out, 0644);
	bool ok = true;
	for (size_t left = job.outputBytes; ok && left > 0;) {
		size_t chunk = left < buffer.size() ? left : buffer.size();
		ok = write(out, buffer.data(), chunk) == (ssize_t)chunk;
		left -= chunk;
	}
	ok = close(out) == 0 && ok;
	return ok && rename(name.data(), (directory + "/" + leaf + ".out").c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
	if (argc < 4) {
		fprintf(stderr, "usage: file_floor OUT_DIR THREADS INPUT=OUTPUT_BYTES...\n");
		return 2;
	}
	const std::string directory = argv[1];
	const int threads = atoi(argv[2]) > 0 ? atoi(argv[2]) : 1;
	std::vector<Job> jobs;
	for (int i = 3; i < argc; i++) {
		std::string argument = argv[i];
		size_t equals = argument.rfind('=');
		if (equals == std::string::npos) {
			fprintf(stderr, "file_floor: %s is not INPUT=OUTPUT_BYTES\n", argv[i]);
			return 2;
		}
		jobs.push_back(
		    {argument.substr(0, equals), strtoul(argument.c_str() + equals + 1, nullptr, 10)});
	}

	std::atomic<size_t> next(0);
	std::atomic<bool> ok(true);
	auto work = [&] {
		std::vector<char> buffer(1 << 20, 7);
		for (size_t i; (i = next++) < jobs.size();)
			ok = convert_nothing(directory, jobs[i], buffer) && ok;
	};
	auto start = std::chrono::steady_clock::now();
	std::vector<std::thread> pool;
	for (int i = 1; i < threads; i++)
		pool.emplace_back(work);
	work();
	for (std::thread& thread : pool)
		thread.join();
	std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
	if (!ok) {
		perror("file_floor");
		return 1;
	}
	printf("%.3f\n", elapsed.count());
	return 0;
}
