#include <gtest/gtest.h>

#include <unistd.h>

#include <time.h>
#include <chrono>

#include "cKernelClock.h"

namespace {

using std::chrono::milliseconds;

std::chrono::nanoseconds libraryMonotonic() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Both roads read one kernel clock, so a reading taken between two of the
// library's lies between them: a wrongly laid out timespec (32-bit targets)
// would not.
TEST(KernelClockTest, ReadsTheMonotonicClockTheLibraryReads) {
    for (int i = 0; i < 1000; ++i) {
        const auto before = libraryMonotonic();
        const auto kernel = cKernelClock::now().time_since_epoch();
        const auto after = libraryMonotonic();
        ASSERT_LE(before, kernel);
        ASSERT_LE(kernel, after);
    }
}

class KernelClockPoll : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::pipe(ends), 0); }
    void TearDown() override {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    int ends[2] = {-1, -1};
};

// Only lower bounds: a wait may end late on a busy machine, never early.
TEST_F(KernelClockPoll, WaitsItsWholeTimeoutForNothing) {
    for (const int timeoutMs : {0, 1, 30, 120}) {
        pollfd entry{ends[0], POLLIN, 0};
        const auto started = cKernelClock::now();
        EXPECT_EQ(cKernelClock::poll(&entry, 1, timeoutMs), 0) << timeoutMs;
        EXPECT_GE(cKernelClock::now() - started, milliseconds(timeoutMs)) << timeoutMs;
    }
}

TEST_F(KernelClockPoll, ReturnsAtOnceWhenReady) {
    ASSERT_EQ(::write(ends[1], "x", 1), 1);
    for (const int timeoutMs : {0, 5000, -1}) {
        pollfd entry{ends[0], POLLIN, 0};
        EXPECT_EQ(cKernelClock::poll(&entry, 1, timeoutMs), 1) << timeoutMs;
        EXPECT_NE(entry.revents & POLLIN, 0) << timeoutMs;
    }
}

}  // namespace
