// -j N is a budget of N threads: files first, then PNG compression.

#include "BatchPlan.h"

#include <gtest/gtest.h>

TEST(BatchPlan, OneThreadMeansOneFileAndOneCompressor)
{
	BatchPlan plan = plan_batch(300, 1, 8);
	EXPECT_EQ(plan.workers, 1u);
	EXPECT_EQ(plan.compressionThreads, 1);
}

TEST(BatchPlan, ThreadsNoFileUsesGoToCompressionUpToTheCores)
{
	BatchPlan alone = plan_batch(1, 0, 4);  // the default: one thread per core
	EXPECT_EQ(alone.workers, 1u);
	EXPECT_EQ(alone.compressionThreads, 4);

	BatchPlan three = plan_batch(3, 6, 8);
	EXPECT_EQ(three.workers, 3u);
	EXPECT_EQ(three.compressionThreads, 2);

	BatchPlan capped = plan_batch(1, 16, 2);
	EXPECT_EQ(capped.workers, 1u);
	EXPECT_EQ(capped.compressionThreads, 2);
}

TEST(BatchPlan, MoreFilesThanThreadsShareThemOut)
{
	BatchPlan plan = plan_batch(300, 0, 2);
	EXPECT_EQ(plan.workers, 2u);
	EXPECT_EQ(plan.compressionThreads, 1);

	BatchPlan unknownCores = plan_batch(300, 0, 0);
	EXPECT_EQ(unknownCores.workers, 1u);
	EXPECT_EQ(unknownCores.compressionThreads, 1);
}
