// corvprobe's table and formulas on the scripted OS, with exact figures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "libprobe/corvprobe.h"
#include "libprobe/probe_figures.h"
#include "libprobe/probe_state.h"
#include "tests/fake/fake_os.h"

namespace {

constexpr std::uint64_t KiB = 1024, GiB = 1024 * 1024 * 1024;

class Library : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        cvp::resetProbeState();
    }
    static fakeos::State& os() { return fakeos::state(); }
    static void processes(int count, std::int32_t firstPid = 100) {
        os().processes.clear();
        for (int i = 0; i < count; ++i) {
            fakeos::Process p;
            p.pid = firstPid + i;
            p.name = "proc" + std::to_string(i + 1) + ".exe";
            os().processes.push_back(p);
        }
    }
    static void systemTimes(std::int64_t idle, std::int64_t kernel, std::int64_t user) {
        os().systemTimes = os::SystemTimes{idle, kernel, user};
    }
    static void times(int index, std::int64_t kernel, std::int64_t user) {
        os().processes[static_cast<std::size_t>(index - 1)].kernelTime = kernel;
        os().processes[static_cast<std::size_t>(index - 1)].userTime = user;
    }
};

// ---- process table ---------------------------------------------------------

TEST_F(Library, NoIndexIsValidBeforeTheFirstListAndOutOfRangeIsHarmless) {
    processes(3);
    for (std::int32_t index : {-2147483647 - 1, -1, 0, 1, 2, 2147483647}) {
        EXPECT_EQ(cvpid(index), 0);
        ASSERT_NE(cvpnam(index), nullptr);
        EXPECT_STREQ(cvpnam(index), "");
        EXPECT_EQ(cvpcpu(index), 0);
        EXPECT_EQ(cvpram(index), 0);
    }
    ASSERT_EQ(cvplist(), 3);
    for (std::int32_t index : {-1, 0, 4, 2147483647}) {
        EXPECT_EQ(cvpid(index), 0);
        EXPECT_STREQ(cvpnam(index), "");
        EXPECT_EQ(cvpcpu(index), 0);
        EXPECT_EQ(cvpram(index), 0);
    }
    EXPECT_EQ(cvpid(3), 102);
}

TEST_F(Library, ListKeepsTheSnapshotOrderAndCutsNamesTo29Bytes) {
    processes(3);
    os().processes[0].name = "a_name_of_exactly_forty_bytes_for_a_test";  // 40 bytes
    os().processes[1].name = std::string(29, 'x');
    os().processes[2].pid = 7;
    os().processes[2].name = "";
    ASSERT_EQ(cvplist(), 3);
    EXPECT_STREQ(cvpnam(1), "a_name_of_exactly_forty_bytes");
    EXPECT_EQ(std::strlen(cvpnam(1)), 29u);
    EXPECT_EQ(std::string(cvpnam(2)), std::string(29, 'x'));
    EXPECT_STREQ(cvpnam(3), "");
    EXPECT_EQ(cvpid(1), 100);
    EXPECT_EQ(cvpid(3), 7);

    // Names and PIDs come from the last list; reading them measures nothing.
    const int snapshots = os().snapshotCalls;
    os().processes[0].name = "changed.exe";
    EXPECT_STREQ(cvpnam(1), "a_name_of_exactly_forty_bytes");
    EXPECT_EQ(os().snapshotCalls, snapshots);
    // A shorter name later leaves no tail of the longer one behind.
    ASSERT_EQ(cvplist(), 3);
    EXPECT_STREQ(cvpnam(1), "changed.exe");
}

TEST_F(Library, TableFollowsAGrowingAndShrinkingList) {
    processes(100);
    EXPECT_EQ(cvplist(), 100);
    EXPECT_EQ(cvpid(100), 199);
    processes(90, 1000);
    EXPECT_EQ(cvplist(), 90);
    EXPECT_EQ(cvpid(90), 1089);
    EXPECT_EQ(cvpid(91), 0);  // left over from the longer list, not a result
    EXPECT_STREQ(cvpnam(91), "");
    processes(95, 2000);
    EXPECT_EQ(cvplist(), 95);
    EXPECT_EQ(cvpid(95), 2094);
    EXPECT_EQ(cvpid(96), 0);

    os().snapshotFails = true;
    EXPECT_EQ(cvplist(), 0);
    EXPECT_EQ(cvpid(1), 0);
    EXPECT_STREQ(cvpnam(1), "");
}

TEST_F(Library, PreviousTimesBelongToTheIndexNotTheProcess) {
    processes(2);
    ASSERT_EQ(cvplist(), 2);
    systemTimes(0, 1000, 0);
    cvcpu();
    times(1, 500, 500);
    EXPECT_EQ(cvpcpu(1), 100);
    // Another process takes index 1 with less CPU time than the old one had.
    std::swap(os().processes[0], os().processes[1]);
    times(1, 100, 0);
    ASSERT_EQ(cvplist(), 2);
    EXPECT_EQ(cvpcpu(1), 0);  // negative against the old times
    times(1, 150, 0);
    EXPECT_EQ(cvpcpu(1), 5);  // now against its own
}

// An index's process ends and its PID goes to another before the next list:
// the index answers as for an ended process, without the list opening
// anything, until cvplist lists the newcomer.
TEST_F(Library, AnIndexWhosePidWentToAnotherProcessAnswersZero) {
    processes(2);
    os().processes[0].startedAt = 11;
    os().processes[0].workingSetBytes = 812 * KiB;
    ASSERT_EQ(cvplist(), 2);
    EXPECT_EQ(os().queryProcessCalls, 0);
    systemTimes(0, 1000, 0);
    cvcpu();
    times(1, 100, 0);
    EXPECT_EQ(cvpcpu(1), 10);
    EXPECT_EQ(cvpram(1), 812);
    os().processes[0].startedAt = 12;  // the same PID, another process
    os().processes[0].workingSetBytes = 4000 * KiB;
    times(1, 900, 0);
    EXPECT_EQ(cvpram(1), 0);
    EXPECT_EQ(cvpcpu(1), 0);
    os().processes[0].startedAt = 11;  // stays ended for this index
    EXPECT_EQ(cvpram(1), 0);
    os().processes[0].startedAt = 12;
    ASSERT_EQ(cvplist(), 2);
    EXPECT_EQ(cvpram(1), 4000);
}

// ---- CPU load and shares -----------------------------------------------------

TEST_F(Library, CpuLoadRoundsHalvesToEvenAndSeesNoTimePassTwice) {
    systemTimes(600, 800, 200);  // since system start: 400 of 1000 busy
    EXPECT_EQ(cvcpu(), 40);
    EXPECT_EQ(cvcpu(), 0);  // within one tick: nothing passed
    EXPECT_EQ(cvp::probeSystemTimeDelta, 0);
    systemTimes(600 + 175, 800 + 190, 200 + 10);  // 25 of 200 busy: 12.5
    EXPECT_EQ(cvcpu(), 12);
    EXPECT_EQ(cvp::probeSystemTimeDelta, 200);
    systemTimes(775 + 173, 990 + 190, 210 + 10);  // 27 of 200: 13.5
    EXPECT_EQ(cvcpu(), 14);
    systemTimes(948 + 300, 1180 + 100, 220 + 100);  // more idle than kernel + user
    EXPECT_EQ(cvcpu(), 0);
}

TEST_F(Library, CpuLoadSurvivesTimesThatFailOrOverflow) {
    systemTimes(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::min(), 0);
    cvcpu();
    systemTimes(std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max(), 5);
    EXPECT_EQ(cvcpu(), 0);
    EXPECT_EQ(cvp::probeSystemTimeDelta, 0);
    os().systemTimesFail = true;
    cvcpu();
    EXPECT_EQ(cvp::probePrevSystemTimes.kernel, 0);  // a failed query counts as zeros
}

TEST_F(Library, ProcessShareAgainstTheLastCpuInterval) {
    processes(1);
    ASSERT_EQ(cvplist(), 1);
    times(1, 300, 200);
    EXPECT_EQ(cvpcpu(1), 0);  // before any cvcpu
    EXPECT_EQ(cvp::probePrevKernelTime[1], 300);

    systemTimes(0, 1000, 0);
    cvcpu();
    times(1, 300 + 600, 200 + 400);  // 1000 more in an interval of 1000
    EXPECT_EQ(cvpcpu(1), 100);
    EXPECT_EQ(cvp::probeTable[1].cpuPercent, 100);

    systemTimes(0, 1200, 0);  // interval of 200
    cvcpu();
    times(1, 903, 602);  // 5 of 200: 2.5
    EXPECT_EQ(cvpcpu(1), 2);
    times(1, 907, 605);  // 7 of 200: 3.5
    EXPECT_EQ(cvpcpu(1), 4);

    // Two cvcpu at once: no interval, every share 0.
    cvcpu();
    times(1, 2000, 2000);
    EXPECT_EQ(cvpcpu(1), 0);
}

TEST_F(Library, FirstShareMeasuresFromProcessStartWithoutUpperLimit) {
    processes(2);
    ASSERT_EQ(cvplist(), 2);
    systemTimes(0, 1000, 0);
    cvcpu();
    times(1, 25000, 5000);
    EXPECT_EQ(cvpcpu(1), 3000);
    times(2, 30000000000, 0);  // 3 * 10^9 percent: past the 32-bit range
    EXPECT_EQ(cvpcpu(2), 0);
    times(2, std::numeric_limits<std::int64_t>::max(), 0);  // the product overflows
    EXPECT_EQ(cvpcpu(2), 0);
}

TEST_F(Library, ProcessThatCannotBeOpenedGivesZeroAndMeasuresFromStartNext) {
    processes(1);
    ASSERT_EQ(cvplist(), 1);
    systemTimes(0, 1000, 0);
    cvcpu();
    times(1, 100, 100);
    EXPECT_EQ(cvpcpu(1), 20);
    os().processes[0].openable = false;
    EXPECT_EQ(cvpcpu(1), 0);
    EXPECT_EQ(cvp::probePrevKernelTime[1], 0);
    EXPECT_EQ(cvp::probePrevUserTime[1], 0);
    os().processes[0].openable = true;
    times(1, 150, 150);
    EXPECT_EQ(cvpcpu(1), 30);  // the whole 300 since start
}

// ---- memory --------------------------------------------------------------

TEST_F(Library, WorkingSetInKilobytesRoundsHalvesToEven) {
    processes(1);
    ASSERT_EQ(cvplist(), 1);
    const struct {
        std::uint64_t bytes;
        std::int32_t kb;
    } cases[] = {{0, 0},    {511, 0},  {513, 1},  {1023, 1},
                 {1536, 2}, {2560, 2}, {3584, 4}, {5 * GiB, 5 * 1024 * 1024}};  // whole, even past 4 GiB
    for (const auto& c : cases) {
        os().processes[0].workingSetBytes = c.bytes;
        EXPECT_EQ(cvpram(1), c.kb) << c.bytes;
        EXPECT_EQ(cvp::probeTable[1].ramKB, c.kb);
    }
    os().processes[0].workingSetBytes = 400 * KiB;
    EXPECT_EQ(cvpram(1), 400);
    os().processes.clear();  // it ended
    EXPECT_EQ(cvpram(1), 0);
    EXPECT_EQ(cvp::probeTable[1].ramKB, 0);
}

TEST_F(Library, TotalAndUsedMemoryInKilobytes) {
    os().memory.totalBytes = 4 * GiB;
    os().memory.availableBytes = 1 * GiB;
    EXPECT_EQ(cvram(), 4194304);
    EXPECT_EQ(cvusedram(), 3145728);
    os().memory.totalBytes = 7 * KiB + 512;  // 7.5
    os().memory.availableBytes = 3 * KiB;
    EXPECT_EQ(cvram(), 8);
    EXPECT_EQ(cvusedram(), 4);               // 4.5
    os().memory.totalBytes = 6 * KiB + 512;  // 6.5
    EXPECT_EQ(cvram(), 6);
    os().memory.totalBytes = std::uint64_t{1} << 60;  // no 32-bit figure holds it
    EXPECT_EQ(cvram(), std::numeric_limits<std::int32_t>::max());
}

// ---- clock ---------------------------------------------------------------

TEST(LibraryFigures, ClockTruncatesToHundredthsOfAGigahertz) {
    EXPECT_EQ(cvp::gigahertzFromTicks(24031000), 2.4f);
    EXPECT_EQ(cvp::gigahertzFromTicks(33900000), 3.39f);
    EXPECT_EQ(cvp::gigahertzFromTicks(33999999), 3.39f);  // never rounded up
    EXPECT_EQ(cvp::gigahertzFromTicks(99999), 0.0f);
    EXPECT_EQ(cvp::gigahertzFromTicks(-24031000), -2.4f);
}

TEST_F(Library, ClockBusyWaitsTenMillisecondsAcrossACounterWrap) {
    os().cyclesPerSecond = 3000000000u;
    os().cycleCounter = 0xFFFFFF00u;
    const double before = os().clock;
    const float ghz = cvclock();
    EXPECT_GE(os().clock - before, 0.01);
    EXPECT_GE(ghz, 3.0f);
    EXPECT_LE(ghz, 3.1f);
    EXPECT_EQ(static_cast<float>(static_cast<int>(ghz * 100.0f + 0.5f)) / 100.0f, ghz);
}

TEST_F(Library, ClockMeasuresAgainAfterAWindowStretchedByPreemption) {
    os().cyclesPerSecond = 3000000000u;
    os().onClockRead = [](int n) {
        if (n == 2) fakeos::advance(0.04);  // 14 GHz if that window were kept
    };
    const float ghz = cvclock();
    EXPECT_GE(ghz, 3.0f);
    EXPECT_LE(ghz, 3.1f);
}

// On 32-bit x86 a float comes back in the x87's ST(0), at whatever precision
// the callee left it there; a caller that reads it as a double (a wider
// return type, a comparison in the register) sees that very value. Read
// through a pointer whose return type is double, cvclock must give the float
// itself, not q / 100 at the register's full precision. (Stored into a
// float first, either would look the same.)
TEST_F(Library, ClockReturnsTheFloatItselfInTheRegister) {
#if defined(__i386__)
    // 10.2 ms or so of the scripted clock at 3 GHz: 3.03, 3.06 or 3.09 GHz,
    // none of which a float holds exactly.
    os().cyclesPerSecond = 3000000000u;
    using Wide = double(CVP_CALL*)(void);
    const Wide volatile wide = reinterpret_cast<Wide>(reinterpret_cast<void (*)(void)>(&cvclock));
    const double seen = wide();
    const float narrow = static_cast<float>(seen);
    EXPECT_TRUE(narrow == 3.03f || narrow == 3.06f || narrow == 3.09f) << narrow;
    EXPECT_EQ(seen, static_cast<double>(narrow)) << "the register held more than the float";
#else
    GTEST_SKIP() << "floats come back in a register of their own width on this machine";
#endif
}

// ---- pauses --------------------------------------------------------------

using Pauses = std::vector<std::int64_t>;

TEST_F(Library, PauseKindsAndLengths) {
    const struct {
        std::int32_t ms, kind;
        Pauses pauses;
    } cases[] = {
        {130, 0, {50, 50, 30}},
        {150, 0, {50, 50, 50}},
        {100, 0, {50, 50}},
        {99, 0, {99}},
        {0, 0, {0}},
        {-5, 0, {}},
        {120, 1, {120}},
        {-1, 1, {}},
        {-5, 1, {}},
        {-2147483647 - 1, 1, {}},
        {100, 7, {}},
        {100, -1, {}},
    };
    for (const auto& c : cases) {
        os().pauses.clear();
        EXPECT_EQ(cvsleep(c.ms, c.kind), 1);
        EXPECT_EQ(os().pauses, c.pauses) << c.ms << ", kind " << c.kind;
    }
}

TEST_F(Library, KeyInTheConsoleEndsAWatchedPause) {
    os().consoleKeys = 1;
    EXPECT_EQ(cvsleep(130, 0), 1);
    EXPECT_TRUE(os().pauses.empty());

    // A key during the second step: the rest is not paused.
    os().onPause = [](std::int64_t) {
        if (fakeos::state().pauses.size() == 2) fakeos::state().consoleKeys = 1;
    };
    EXPECT_EQ(cvsleep(1000, 0), 1);
    EXPECT_EQ(os().pauses, (Pauses{50, 50}));

    // -1 waits for the key however long it takes, looking every 50 ms.
    os().pauses.clear();
    os().onPause = [](std::int64_t) {
        if (fakeos::state().pauses.size() == 5) fakeos::state().consoleKeys = 1;
    };
    EXPECT_EQ(cvsleep(-1, 0), 1);
    EXPECT_EQ(os().pauses, (Pauses{50, 50, 50, 50, 50}));
}

TEST_F(Library, OneLookTakesEveryWaitingKey) {
    os().consoleKeys = 6;  // a burst, say auto-repeat
    EXPECT_EQ(cvsleep(200, 0), 1);
    EXPECT_EQ(os().consoleKeys, 0);
    EXPECT_EQ(cvsleep(200, 0), 1);  // the next pause is not cut short by the same burst
    EXPECT_EQ(os().pauses, (Pauses{50, 50, 50, 50}));
}

// ---- ending a process ----------------------------------------------------------

TEST_F(Library, KillEndsByPidAndRefusesWhatNamesNoSingleProcess) {
    processes(3, -1);  // pids -1, 0 and 1 exist in the script
    os().processes.push_back({.pid = 4242, .name = "child.exe"});
    os().processes.push_back({.pid = 4343, .name = "guarded.exe"});
    os().terminateRefused = {4343};
    EXPECT_EQ(cvpkill(-1), 0);
    EXPECT_EQ(cvpkill(0), 0);
    EXPECT_EQ(cvpkill(-2147483647 - 1), 0);
    EXPECT_TRUE(os().terminated.empty());
    EXPECT_EQ(cvpkill(4343), 0);
    EXPECT_EQ(cvpkill(5555), 0);
    EXPECT_EQ(cvpkill(4242), 1);
    EXPECT_EQ(os().terminated, (std::vector<std::int32_t>{4242}));
    EXPECT_EQ(cvpkill(4242), 0);  // gone now
}

}  // namespace
