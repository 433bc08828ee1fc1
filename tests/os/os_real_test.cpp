// The real operating-system layer against the real system.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "os/os.h"
#include "tests/headless/child_process.h"

#ifdef _WIN32
#include <windows.h>
static std::int32_t ownPid() { return static_cast<std::int32_t>(GetCurrentProcessId()); }
static const char* ownName() { return "test_os_real.exe"; }
static const char* sleeperName() { return "corvsleeper.exe"; }
#else
#include <unistd.h>
static std::int32_t ownPid() { return static_cast<std::int32_t>(getpid()); }
static const char* ownName() { return "test_os_real"; }
static const char* sleeperName() { return "corvsleeper"; }
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
    EXPECT_GT(used, 0);                // it moved
    EXPECT_LT(used, 10 * 10000000LL);  // and by no more than the wall time allows on a few cores
    EXPECT_GE(after.userTime, before.userTime);
}

TEST(RealOs, MissingProcessCannotBeOpened) {
    const os::ProcessSample gone = os::queryProcess(0x7ffffff0);
    EXPECT_FALSE(gone.opened);
    EXPECT_EQ(gone.kernelTime + gone.userTime, 0);
    EXPECT_EQ(gone.workingSetBytes, 0u);
    EXPECT_FALSE(os::terminateProcess(0x7ffffff0));
}

// A sleeper of our own, its name as a listing shows it and the start clock
// read right after that listing.
struct ListedSleeper {
    Child child;
    std::string name;
    std::uint64_t listedAt = 0;
};

::testing::AssertionResult startListedSleeper(ListedSleeper& out) {
    out.child = startChild(nativePath(SLEEPER_PATH), {"60"});
    if (out.child.pid == 0) return ::testing::AssertionFailure() << "the sleeper did not start";
    std::vector<os::ProcessInfo> list;
    if (!os::snapshotProcesses(list)) return ::testing::AssertionFailure() << "no listing";
    out.listedAt = os::processStartClock();
    for (const os::ProcessInfo& p : list) {
        if (p.pid == out.child.pid) out.name = p.name;
    }
    if (out.name != sleeperName()) return ::testing::AssertionFailure() << "listed as \"" << out.name << "\"";
    // The new name shows as soon as the exec begins, before the program has
    // a page of its own: wait (a bounded while) until it has a working set.
    for (int i = 0; i < 500 && os::queryProcess(out.child.pid).workingSetBytes == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ::testing::AssertionSuccess();
}

// Whether the child ended well before it would have on its own (60 s).
bool endsSoon(Child& child) {
    const auto start = std::chrono::steady_clock::now();
    waitChild(child, 30);
    return std::chrono::steady_clock::now() - start < std::chrono::seconds(20);
}

TEST(RealOs, AHeldProcessIsEndedThroughItsHold) {
    ListedSleeper sleeper;
    ASSERT_TRUE(startListedSleeper(sleeper));
    os::HeldProcess held = os::holdProcess(sleeper.child.pid, sleeper.name, sleeper.listedAt);
    ASSERT_TRUE(held.held);
    EXPECT_TRUE(os::endHeldProcess(held));
    os::releaseProcess(held);
    EXPECT_FALSE(held.held);
    EXPECT_TRUE(endsSoon(sleeper.child));
    stopChild(sleeper.child);
}

TEST(RealOs, AProcessIsHeldOnlyUnderItsListedName) {
    ListedSleeper sleeper;
    ASSERT_TRUE(startListedSleeper(sleeper));
    os::HeldProcess held = os::holdProcess(sleeper.child.pid, "other" + sleeper.name, sleeper.listedAt);
    EXPECT_FALSE(held.held);
    EXPECT_FALSE(os::endHeldProcess(held));
    os::releaseProcess(held);  // nothing held: nothing to do
    held = os::holdProcess(sleeper.child.pid, sleeper.name.substr(1), sleeper.listedAt);
    EXPECT_FALSE(held.held);
    EXPECT_FALSE(os::holdProcess(0x7ffffff0, sleeper.name, sleeper.listedAt).held);
    // Not held, so nothing ended it.
    EXPECT_TRUE(os::queryProcess(sleeper.child.pid).opened);
    stopChild(sleeper.child);
}

TEST(RealOs, AProcessStartedAfterTheListingIsNotHeld) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows compares the name only: its start times are on the wall clock";
#else
    const std::uint64_t before = os::processStartClock();
    // A tick later at least, so that the sleeper starts after `before`.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000 / sysconf(_SC_CLK_TCK) + 20));
    ListedSleeper sleeper;
    ASSERT_TRUE(startListedSleeper(sleeper));
    EXPECT_GT(sleeper.listedAt, before);
    EXPECT_FALSE(os::holdProcess(sleeper.child.pid, sleeper.name, before).held);
    os::HeldProcess held = os::holdProcess(sleeper.child.pid, sleeper.name, sleeper.listedAt);
    EXPECT_TRUE(held.held);
    os::releaseProcess(held);
    stopChild(sleeper.child);
#endif
}

// Ended and reaped while held: the hold still names that process alone, so
// ending through it reaches nothing, whoever has its PID by now.
TEST(RealOs, AHeldProcessThatEndedMeanwhileIsNotEndedAgain) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps the PID of a held process from being reused";
#else
    ListedSleeper sleeper;
    ASSERT_TRUE(startListedSleeper(sleeper));
    os::HeldProcess held = os::holdProcess(sleeper.child.pid, sleeper.name, sleeper.listedAt);
    ASSERT_TRUE(held.held);
    stopChild(sleeper.child);
    EXPECT_FALSE(os::endHeldProcess(held));
    os::releaseProcess(held);
#endif
}

// A pin follows the process it was taken on until that ends; a start that
// is not the process's own pins (and holds) nothing.
TEST(RealOs, APinnedProcessIsSampledUntilItEnds) {
    ListedSleeper sleeper;
    ASSERT_TRUE(startListedSleeper(sleeper));
    const os::ProcessSample queried = os::queryProcess(sleeper.child.pid);
    ASSERT_TRUE(queried.opened);
    EXPECT_NE(queried.started, 0u);
    EXPECT_FALSE(os::pinProcess(sleeper.child.pid, queried.started + 1, sleeper.listedAt).pinned);
    EXPECT_FALSE(os::holdProcess(sleeper.child.pid, sleeper.name, sleeper.listedAt, queried.started + 1).held);
    os::HeldProcess held = os::holdProcess(sleeper.child.pid, sleeper.name, sleeper.listedAt, queried.started);
    EXPECT_TRUE(held.held);
    os::releaseProcess(held);

    os::PinnedProcess pin = os::pinProcess(sleeper.child.pid, queried.started, sleeper.listedAt);
    ASSERT_TRUE(pin.pinned);
    const os::ProcessSample sample = os::samplePinned(pin);
    EXPECT_TRUE(sample.opened);
    EXPECT_EQ(sample.started, queried.started);
    EXPECT_GT(sample.workingSetBytes, 0u);
    EXPECT_FALSE(pin.ended);
    stopChild(sleeper.child);
    const os::ProcessSample gone = os::samplePinned(pin);
    EXPECT_TRUE(pin.ended);
    EXPECT_FALSE(gone.opened);
    EXPECT_EQ(gone.workingSetBytes, 0u);
    EXPECT_EQ(gone.kernelTime + gone.userTime, 0);
    os::unpinProcess(pin);
    EXPECT_FALSE(pin.pinned);
    EXPECT_FALSE(os::pinProcess(0x7ffffff0, 0, sleeper.listedAt).pinned);
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
