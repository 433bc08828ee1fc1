// The per-row arrays' resizing rule and the table's capacity rule.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

class State : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
    }
    static void snapshotOf(int count, int firstPid = 1000) {
        fakeos::state().processes.clear();
        for (int i = 0; i < count; ++i) {
            fakeos::state().processes.push_back({firstPid + i, "p" + std::to_string(i) + ".exe"});
        }
    }
};

TEST_F(State, StartsZeroed) {
    EXPECT_EQ(monitorState.quitState, 0);
    EXPECT_EQ(monitorState.logState, 0);
    EXPECT_EQ(monitorState.processCount, 0);
    EXPECT_EQ(monitorState.cpuClockGHz, 0.0f);
    EXPECT_TRUE(markedPid.empty());
}

TEST_F(State, ResizeKeepsValuesAndZeroesNewRows) {
    resizeRowArrays(50);
    ASSERT_EQ(markedPid.size(), 51u);
    for (int i = 1; i <= 50; ++i) {
        markedPid[i] = i;
        prevKernelTime[i] = 10 * i;
        prevUserTime[i] = 20 * i;
    }
    resizeRowArrays(55);
    ASSERT_EQ(markedPid.size(), 56u);
    EXPECT_EQ(markedPid[50], 50);
    EXPECT_EQ(prevKernelTime[50], 500);
    for (int i = 51; i <= 55; ++i) {
        EXPECT_EQ(markedPid[i], 0);
        EXPECT_EQ(prevKernelTime[i], 0);
        EXPECT_EQ(prevUserTime[i], 0);
    }
    // Back to 50: nothing shrinks and rows above keep their values.
    markedPid[55] = 9;
    resizeRowArrays(50);
    EXPECT_EQ(markedPid.size(), 56u);
    EXPECT_EQ(markedPid[55], 9);
    resizeRowArrays(-3);
    EXPECT_EQ(markedPid.size(), 56u);
}

TEST_F(State, TableGrowsAgainstThePreviousCount) {
    snapshotOf(50);
    enumerateProcesses();
    EXPECT_EQ(monitorState.processCount, 50);
    EXPECT_EQ(processTable.size(), 52u);  // indices 0..51: one spare row
    monitorState.shownCount = 50;

    snapshotOf(55, 2000);
    enumerateProcesses();
    EXPECT_EQ(monitorState.processCount, 55);
    EXPECT_GE(processTable.size(), 57u);
    EXPECT_EQ(processTable[1].pid, 2000);
    EXPECT_EQ(processTable[55].pid, 2054);
    EXPECT_EQ(processTable[55].name, "p54.exe");
}

TEST_F(State, ShrinkingKeepsCapacityAndStaleRows) {
    snapshotOf(60);
    enumerateProcesses();
    monitorState.shownCount = 60;
    const std::size_t capacity = processTable.size();
    snapshotOf(50, 3000);
    enumerateProcesses();
    EXPECT_EQ(monitorState.processCount, 50);
    EXPECT_EQ(processTable.size(), capacity);
    EXPECT_EQ(processTable[51].pid, 1050);  // stale, beyond the valid rows
    EXPECT_EQ(processTable[61].pid, 0);
}

TEST_F(State, FirstCycleCutsALargerTableToTheFilledRows) {
    snapshotOf(60);
    enumerateProcesses();
    monitorState.shownCount = 0;  // start-up and first loop cycle
    snapshotOf(10);
    enumerateProcesses();
    EXPECT_EQ(processTable.size(), 12u);
}

TEST_F(State, EnumerationLeavesFiguresAndCopiesNamesToTheirNul) {
    snapshotOf(2);
    enumerateProcesses();
    processTable[1].cpuPercent = 42;
    processTable[1].ramKB = 99;
    fakeos::state().processes[0].name = std::string("ab\0cd", 5);
    monitorState.shownCount = 2;
    enumerateProcesses();
    EXPECT_EQ(processTable[1].cpuPercent, 42);
    EXPECT_EQ(processTable[1].ramKB, 99);
    EXPECT_EQ(processTable[1].name, "ab");
}

TEST_F(State, EmptySnapshotGivesEmptyTable) {
    snapshotOf(5);
    enumerateProcesses();
    fakeos::state().snapshotFails = true;
    enumerateProcesses();
    EXPECT_EQ(monitorState.processCount, 0);
}

TEST_F(State, StateLockIsExclusive) {
    createStateLock();
    takeStateLock();
    std::atomic<bool> got{false};
    std::thread other([&] {
        takeStateLock();
        got = true;
        releaseStateLock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(got);
    releaseStateLock();
    other.join();
    EXPECT_TRUE(got);
    destroyStateLock();
}

}  // namespace
