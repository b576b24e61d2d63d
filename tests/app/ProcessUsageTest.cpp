// The /proc reader the soak run and the process benchmark measure with.
#include "tests/support/ProcessUsage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

TEST(ProcessUsage, CpuTimeIsFoundPastACommandNameWithBlanksAndParentheses) {
    // Fields after the name: state, ppid, pgrp, session, tty, tpgid, flags, minflt, cminflt,
    // majflt, cmajflt, utime (14), stime (15), …
    EXPECT_EQ(testsupport::CpuTicksFromStat("42 (radio (1) x) S 1 2 3 4 5 6 7 8 9 10 300 45 0 0"),
              345);
    EXPECT_EQ(testsupport::CpuTicksFromStat("42 (short) S 1 2"), -1);
    EXPECT_EQ(testsupport::CpuTicksFromStat("no name at all"), -1);
}

TEST(ProcessUsage, ThisProcessHasMemoryThreadsDescriptorsAndGrowingCpuTime) {
    const auto before = testsupport::MeasureProcess(getpid());
    ASSERT_TRUE(before.valid);
    EXPECT_GT(before.rssKiB, 1000);
    EXPECT_GT(before.pssKiB, 0);
    EXPECT_GT(before.anonKiB, 0);
    EXPECT_LT(before.anonKiB, before.rssKiB);
    EXPECT_GE(before.threads, 1);
    EXPECT_GE(before.descriptors, 3);
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(150)) {
        // busy: reading the clock keeps the processor working
    }
    EXPECT_GT(testsupport::MeasureProcess(getpid()).cpuSeconds, before.cpuSeconds);
    EXPECT_FALSE(testsupport::MeasureProcess(999999999).valid);
}
