// The real operating-system layer against the real system.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "os/os.h"

#ifdef _WIN32
#include <windows.h>
static std::int32_t ownPid() { return static_cast<std::int32_t>(GetCurrentProcessId()); }
static const char* ownName() { return "test_os_real.exe"; }
#else
#include <unistd.h>
static std::int32_t ownPid() { return static_cast<std::int32_t>(getpid()); }
static const char* ownName() { return "test_os_real"; }
#endif

namespace {

void burn(double seconds) {
    const double end = os::secondsClock() + seconds;
    volatile double x = 1.0;
    while (os::secondsClock() < end) x = std::sqrt(x + 1.0);
}

TEST(RealOs, SnapshotHoldsThisProcessWithItsName) {
    std::vector<os::ProcessInfo> list;
    ASSERT_TRUE(os::snapshotProcesses(list));
    EXPECT_GT(list.size(), 1u);
    auto self = std::find_if(list.begin(), list.end(), [](const os::ProcessInfo& p) { return p.pid == ownPid(); });
    ASSERT_NE(self, list.end());
    EXPECT_EQ(self->name, ownName());
}

TEST(RealOs, OwnTimesAndWorkingSetArePlausibleAndMoveForward) {
    const os::ProcessSample before = os::queryProcess(ownPid());
    ASSERT_TRUE(before.opened);
    EXPECT_GT(before.workingSetBytes, 100u * 1024);
    EXPECT_LT(before.workingSetBytes, 4ull * 1024 * 1024 * 1024);
    burn(0.3);
    const os::ProcessSample after = os::queryProcess(ownPid());
    const std::int64_t used = (after.kernelTime + after.userTime) - (before.kernelTime + before.userTime);
    EXPECT_GT(used, 0);                  // it moved
    EXPECT_LT(used, 10 * 10000000LL);   // and by no more than the wall time allows on a few cores
    EXPECT_GE(after.userTime, before.userTime);
}

TEST(RealOs, MissingProcessCannotBeOpened) {
    const os::ProcessSample gone = os::queryProcess(0x7ffffff0);
    EXPECT_FALSE(gone.opened);
    EXPECT_EQ(gone.kernelTime + gone.userTime, 0);
    EXPECT_EQ(gone.workingSetBytes, 0u);
    EXPECT_FALSE(os::terminateProcess(0x7ffffff0));
}

TEST(RealOs, SystemTimesGrowAndKernelIncludesIdle) {
    os::SystemTimes a, b;
    ASSERT_TRUE(os::systemTimes(a));
    burn(0.2);
    ASSERT_TRUE(os::systemTimes(b));
    EXPECT_GE(a.kernel, a.idle);
    EXPECT_GT((b.kernel + b.user) - (a.kernel + a.user), 0);
}

TEST(RealOs, MemoryStatusIsConsistent) {
    os::MemoryStatus m;
    ASSERT_TRUE(os::memoryStatus(m));
    EXPECT_GT(m.totalBytes, 64ull * 1024 * 1024);
    EXPECT_LE(m.availableBytes, m.totalBytes);
    EXPECT_LE(m.loadPercent, 100u);
}

TEST(RealOs, ClocksAndPauses) {
    const double t0 = os::secondsClock();
    os::pauseMs(50);
    const double t1 = os::secondsClock();
    EXPECT_GE(t1 - t0, 0.045);
    EXPECT_LT(t1 - t0, 2.0);
    os::pauseMs(-5);  // never a long wait
    os::pauseMs(0);
    EXPECT_LT(os::secondsClock() - t1, 0.5);

    const std::uint32_t c0 = os::cycleCounterLow();
    burn(0.01);
    EXPECT_NE(os::cycleCounterLow(), c0);

    const os::LocalTime t = os::localTime();
    EXPECT_GE(t.year, 2020);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_LE(t.hour, 23);
    EXPECT_LE(t.millisecond, 999);
}

}  // namespace
