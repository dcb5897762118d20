// -j N is a budget of N threads: files first, then PNG compression.

#include "BatchPlan.h"

#include <gtest/gtest.h>

namespace {

void expect_plan(size_t files, int requested, size_t cores, size_t workers, int compression)
{
	SCOPED_TRACE(testing::Message()
	             << files << " files, -j " << requested << ", " << cores << " cores");
	BatchPlan plan = plan_batch(files, requested, cores);
	EXPECT_EQ(plan.workers, workers);
	EXPECT_EQ(plan.compressionThreads, compression);
}

} // namespace

TEST(BatchPlan, OneThreadMeansOneFileAndOneCompressor)
{
	expect_plan(300, 1, 8, 1, 1);
	expect_plan(1, 1, 8, 1, 1);
}

TEST(BatchPlan, ThreadsNoFileUsesGoToCompressionUpToTheCores)
{
	expect_plan(1, 0, 4, 1, 4); // the default: one thread per core
	expect_plan(3, 6, 8, 3, 2);
	expect_plan(1, 16, 2, 1, 2);
}

TEST(BatchPlan, MoreFilesThanThreadsShareThemOut)
{
	expect_plan(300, 0, 2, 2, 1);
	expect_plan(300, 5, 2, 5, 1);
	expect_plan(300, 0, 0, 1, 1); // the core count unknown
}
