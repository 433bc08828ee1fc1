// What sampling reports, and when: each figure right after it was stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe/process_sample.h"
#include "probe/process_table.h"
#include "probe/sample_report.h"
#include "probe/system_load.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

// What the reports and the process queries saw, in order.
std::vector<std::string> heard;

class SampleReports : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
        heard.clear();
        fakeos::state().processes = {
            {10, "a.exe", true, 100, 0, 4096},
            {20, "b.exe", true, 200, 0, 8192},
            {30, "c.exe", true, 300, 0, 1536},
        };
        fakeos::state().onQueryProcess = [](std::int32_t pid) { heard.push_back("query " + std::to_string(pid)); };
        enumerateProcesses();
        resizeRowArrays(monitorState.processCount);
        monitorState.systemTimeDelta = 1000;
        sampleReport.rowSampled = [](std::int32_t row) {
            const ProcessEntry& e = processTable[static_cast<std::size_t>(row)];
            heard.push_back("row " + std::to_string(row) + ": " + std::to_string(e.cpuPercent) + "% " +
                            std::to_string(e.ramKB) + " KB");
        };
    }
    void TearDown() override {
        sampleReport = SampleReport{};
        fakeos::state().onQueryProcess = nullptr;
    }
};

TEST_F(SampleReports, EachRowIsReportedRightAfterItsOwnSample) {
    for (std::int32_t i = 1; i <= 3; ++i) sampleProcess(processTable[static_cast<std::size_t>(i)].pid, i);
    // The report of a row comes before the next row is queried, and holds
    // the figures just stored.
    EXPECT_EQ(heard, (std::vector<std::string>{"query 10", "row 1: 10% 4 KB", "query 20", "row 2: 20% 8 KB", "query 30",
                                               "row 3: 30% 2 KB"}));
    // A row that the table does not have is neither sampled nor reported.
    heard.clear();
    sampleProcess(10, 0);
    sampleProcess(10, 99);
    EXPECT_TRUE(heard.empty());
}

TEST_F(SampleReports, GaugesHearTheFiguresJustStored) {
    fakeos::state().systemTimes = {600, 1000, 200};
    fakeos::state().memory = {37, 805306368ull, 0};
    monitorState.cpuClockGHz = 3.39f;
    sampleReport.cpuLoadSampled = [](std::int32_t load, float clock) {
        heard.push_back("cpu " + std::to_string(load) + " at " + std::to_string(clock).substr(0, 4) + ", delta " +
                        std::to_string(monitorState.systemTimeDelta));
    };
    sampleReport.memorySampled = [](std::uint32_t load, std::int32_t totalMB) {
        heard.push_back("memory " + std::to_string(load) + "% of " + std::to_string(totalMB) + " MB, stored " +
                        std::to_string(monitorState.totalMemoryMB));
    };
    sampleCpuLoad();
    sampleMemory();
    EXPECT_EQ(heard, (std::vector<std::string>{"cpu 50 at 3.39, delta 1200", "memory 37% of 768 MB, stored 768"}));
}

TEST_F(SampleReports, NobodyWiredIsNobodyTold) {
    sampleReport = SampleReport{};
    sampleProcess(20, 2);
    sampleCpuLoad();
    sampleMemory();
    EXPECT_EQ(heard, (std::vector<std::string>{"query 20"}));
    EXPECT_EQ(processTable[2].ramKB, 8);
}

}  // namespace
