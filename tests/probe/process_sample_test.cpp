// One row's CPU share and working set on the scripted OS.
#include <gtest/gtest.h>

#include "probe/process_sample.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

class ProcessSampling : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
        fakeos::state().processes = {
            {10, "a.exe", true, 0, 0, 4096},
            {20, "b.exe", true, 0, 0, 1536},
            {30, "c.exe", true, 0, 0, 2560},
        };
        enumerateProcesses();
        resizeRowArrays(monitorState.processCount);
        monitorState.systemTimeDelta = 1200;
    }
    ProcessEntry& row(int i) { return processTable[static_cast<std::size_t>(i)]; }
};

TEST_F(ProcessSampling, ShareOfTheSystemTimeAndWorkingSet) {
    fakeos::Process* p = fakeos::find(20);
    p->kernelTime = 300;
    p->userTime = 100;
    sampleProcess(20, 2);
    EXPECT_EQ(row(2).cpuPercent, 33);  // 400 * 100 / 1200 = 33.3
    EXPECT_EQ(row(2).ramKB, 2);        // 1536 B = 1.5 KB, to even
    EXPECT_EQ(prevKernelTime[2], 300);
    EXPECT_EQ(prevUserTime[2], 100);

    // The next sample measures from the stored times.
    p->kernelTime = 1500;
    p->userTime = 100;
    sampleProcess(20, 2);
    EXPECT_EQ(row(2).cpuPercent, 100);
    p->kernelTime = 3900;  // may exceed 100: no upper bound
    sampleProcess(20, 2);
    EXPECT_EQ(row(2).cpuPercent, 200);
}

TEST_F(ProcessSampling, WorkingSetRounding) {
    sampleProcess(10, 1);
    sampleProcess(30, 3);
    EXPECT_EQ(row(1).ramKB, 4);
    EXPECT_EQ(row(3).ramKB, 2);                // 2.5 KB, to even
    fakeos::find(30)->workingSetBytes = 3584;  // 3.5 KB
    sampleProcess(30, 3);
    EXPECT_EQ(row(3).ramKB, 4);
    fakeos::find(30)->workingSetBytes = 6ull << 40;  // 6 TiB: held, not wrapped
    sampleProcess(30, 3);
    EXPECT_EQ(row(3).ramKB, 2147483647);
}

TEST_F(ProcessSampling, ZeroSystemDeltaGivesZero) {
    monitorState.systemTimeDelta = 0;
    fakeos::find(10)->kernelTime = 5000;
    sampleProcess(10, 1);
    EXPECT_EQ(row(1).cpuPercent, 0);
    EXPECT_EQ(prevKernelTime[1], 5000);
}

TEST_F(ProcessSampling, UnopenableProcessReadsAsZeros) {
    prevKernelTime[1] = 700;
    prevUserTime[1] = 50;
    row(1).cpuPercent = 9;
    row(1).ramKB = 99;
    fakeos::find(10)->openable = false;
    sampleProcess(10, 1);
    EXPECT_EQ(row(1).cpuPercent, 0);
    EXPECT_EQ(row(1).ramKB, 0);
    EXPECT_EQ(prevKernelTime[1], 0);
    EXPECT_EQ(prevUserTime[1], 0);

    // Ended since the snapshot: the same road.
    prevKernelTime[2] = 700;
    fakeos::state().processes.erase(fakeos::state().processes.begin() + 1);
    sampleProcess(20, 2);
    EXPECT_EQ(row(2).cpuPercent, 0);
    EXPECT_EQ(row(2).ramKB, 0);
    EXPECT_EQ(prevKernelTime[2], 0);
}

TEST_F(ProcessSampling, PreviousTimesBelongToTheRow) {
    // Row 1 last held a process with more CPU time than its new occupant:
    // the share is negative and clamps to 0, then the row restarts from it.
    prevKernelTime[1] = 9000;
    fakeos::find(10)->kernelTime = 600;
    sampleProcess(10, 1);
    EXPECT_EQ(row(1).cpuPercent, 0);
    EXPECT_EQ(prevKernelTime[1], 600);
}

TEST_F(ProcessSampling, RowsOutsideTheArraysAreLeftAlone) {
    const std::vector<ProcessEntry> before = processTable;
    sampleProcess(10, 0);
    sampleProcess(10, -1);
    sampleProcess(10, static_cast<std::int32_t>(processTable.size()));
    sampleProcess(10, 1 << 30);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(processTable[i].cpuPercent, before[i].cpuPercent);
        EXPECT_EQ(processTable[i].ramKB, before[i].ramKB);
    }
    // A table row that the per-row arrays do not reach yet.
    fakeos::state().processes.push_back({40, "d.exe", true, 100, 100, 8192});
    monitorState.shownCount = monitorState.processCount;
    enumerateProcesses();
    ASSERT_EQ(monitorState.processCount, 4);
    ASSERT_LE(prevKernelTime.size(), 4u);
    sampleProcess(40, 4);
    EXPECT_EQ(row(4).ramKB, 0);
    EXPECT_EQ(prevKernelTime.size(), 4u);
}

}  // namespace
