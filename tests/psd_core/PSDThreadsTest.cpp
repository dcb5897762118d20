// Decodes on several threads at once must each come out as decoded alone:
// every decode reads through buffers of its own.

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>

using namespace psdtest;

namespace {

struct Job {
	PsdLayout layout;
	Bytes file;
};

// Each image spans several read blocks, so decodes interleave mid-plane.
std::vector<Job> makeJobs()
{
	std::vector<Job> jobs;
	std::mt19937 random(99);
	for (int i = 0; i < 4; i++) {
		Job job;
		job.layout.width = 211 + i;
		job.layout.height = 97;
		job.layout.depth = i % 2 ? 16 : 8;
		std::vector<Bytes> planes;
		for (int p = 0; p < 3; p++) {
			Bytes plane(job.layout.RowBytes() * job.layout.height);
			for (size_t k = 0; k < plane.size(); k++)
				plane[k] = random() % 4 ? (uint8_t)(k / 50 + i) : (uint8_t)random();
			planes.push_back(plane);
		}
		job.file = i < 2 ? psdPackBits(job.layout, planes) : psdRaw(job.layout, planes);
		jobs.push_back(job);
	}
	return jobs;
}

std::vector<uint32_t> decode(const Job& job)
{
	std::vector<uint32_t> pixels((size_t)job.layout.width * job.layout.height);
	EXPECT_EQ(B_OK, decodeMerged(job.file, PSD_MERGED_RGB, pixels.data()));
	return pixels;
}

TEST(PSDThreads, ConcurrentDecodesMatchDecodesAlone)
{
	const std::vector<Job> jobs = makeJobs();
	std::vector<std::vector<uint32_t>> alone;
	for (const Job& job : jobs)
		alone.push_back(decode(job));

	const int kThreads = 4;
	std::vector<int> mismatches(kThreads, 0);
	std::vector<std::thread> threads;
	for (int t = 0; t < kThreads; t++) {
		threads.emplace_back([&, t] {
			for (int round = 0; round < 25; round++) {
				size_t j = (size_t)(t + round) % jobs.size();
				if (decode(jobs[j]) != alone[j])
					mismatches[t]++;
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	EXPECT_EQ(std::vector<int>(kThreads, 0), mismatches);
}

} // namespace
