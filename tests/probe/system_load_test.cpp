// CPU clock, CPU load and memory on the scripted OS.
#include <gtest/gtest.h>

#include "probe/system_load.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

class SystemLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
    }
};

TEST_F(SystemLoad, ClockFromCyclesTruncatesToHundredths) {
    EXPECT_EQ(cpuClockFromCycles(0, 29990000), 2.99f);  // 2.999 GHz
    EXPECT_EQ(cpuClockFromCycles(0, 30000000), 3.0f);
    EXPECT_EQ(cpuClockFromCycles(0, 33912345), 3.39f);
    EXPECT_EQ(cpuClockFromCycles(0, 33999999), 3.39f);  // never rounded up
    EXPECT_EQ(cpuClockFromCycles(0, 99999), 0.0f);
    EXPECT_EQ(cpuClockFromCycles(500, 500), 0.0f);
    // The low half of the counter wraps during the window.
    EXPECT_EQ(cpuClockFromCycles(0xFFFF0000u, 0xFFFF0000u + 33912345u), 3.39f);
    // A difference of 2^31 or more reads as negative, truncated toward zero.
    EXPECT_EQ(cpuClockFromCycles(0, 0x80000000u), static_cast<float>(-21474 / 100.0));
}

TEST_F(SystemLoad, MeasureCpuClockBusyWaitsOverTenMilliseconds) {
    fakeos::State& f = fakeos::state();
    f.cycleCounter = 0xFFFFF000u;  // wraps during the wait
    f.cyclesPerSecond = 3000000000u;
    const double start = f.clock;
    measureCpuClock();
    EXPECT_GT(f.clock - start, 0.01);
    EXPECT_TRUE(f.pauses.empty()) << "the measurement must not sleep";
    // Whatever the fake clock's read count, the figure is the counted cycles:
    // from after the clock read that opens the window (one read of the fake
    // clock, 0.1 ms of cycles) to the end.
    EXPECT_EQ(monitorState.cpuClockGHz, cpuClockFromCycles(0xFFFFF000u + 300000u, f.cycleCounter));
    EXPECT_GE(monitorState.cpuClockGHz, 3.0f);
    EXPECT_LE(monitorState.cpuClockGHz, 3.1f);
}

// A thread preempted inside the window would count the cycles of a longer
// one; such a window is measured again, and a figure that is still
// disturbed after five tries is what the last one counted.
TEST_F(SystemLoad, AWindowStretchedByPreemptionIsMeasuredAgain) {
    fakeos::State& f = fakeos::state();
    f.cyclesPerSecond = 3000000000u;
    // Preempted for 40 ms right after the first counter read: 14 GHz if kept.
    f.onClockRead = [](int n) {
        if (n == 2) fakeos::advance(0.04);
    };
    measureCpuClock();
    EXPECT_GE(monitorState.cpuClockGHz, 3.0f);
    EXPECT_LE(monitorState.cpuClockGHz, 3.1f);

    // Every window stretched: five tries, then the last figure stands.
    f.clockReads = 0;
    f.onClockRead = [](int) { fakeos::advance(0.04); };
    measureCpuClock();
    EXPECT_GT(monitorState.cpuClockGHz, 3.1f);
    EXPECT_EQ(f.clockReads, 5 * 3);
}

TEST_F(SystemLoad, LoadFromDeltas) {
    CpuLoad l = cpuLoadFromDeltas(600, 1000, 200);
    EXPECT_EQ(l.systemTimeDelta, 1200);
    EXPECT_EQ(l.load, 50);
    EXPECT_EQ(cpuLoadFromDeltas(875, 800, 200).load, 12);  // 12.5 %
    EXPECT_EQ(cpuLoadFromDeltas(865, 800, 200).load, 14);  // 13.5 %
    l = cpuLoadFromDeltas(0, 0, 0);
    EXPECT_EQ(l.systemTimeDelta, 0);
    EXPECT_EQ(l.load, 0);
    EXPECT_EQ(cpuLoadFromDeltas(0, 1000, 0).load, 100);
    EXPECT_EQ(cpuLoadFromDeltas(-5000, -4000, -100).load, 0);  // a failed query
}

TEST_F(SystemLoad, SampleCpuLoadKeepsThePreviousTimes) {
    fakeos::State& f = fakeos::state();
    MonitorState& s = monitorState;
    f.systemTimes = {600, 1000, 200};
    sampleCpuLoad();  // from zero previous times: the whole time since start
    EXPECT_EQ(s.systemTimeDelta, 1200);
    EXPECT_EQ(s.prevSystemIdleTime, 600);
    EXPECT_EQ(s.prevSystemKernelTime, 1000);
    EXPECT_EQ(s.prevSystemUserTime, 200);

    f.systemTimes = {1000, 1800, 500};
    sampleCpuLoad();
    EXPECT_EQ(s.systemTimeDelta, 800 + 300);

    sampleCpuLoad();  // within one tick
    EXPECT_EQ(s.systemTimeDelta, 0);

    // A failed query reads as zeros: negative deltas, zero previous times.
    f.systemTimesFail = true;
    sampleCpuLoad();
    EXPECT_EQ(s.systemTimeDelta, -(1800 + 500));
    EXPECT_EQ(s.prevSystemIdleTime, 0);
    EXPECT_EQ(s.prevSystemKernelTime, 0);
    EXPECT_EQ(s.prevSystemUserTime, 0);
    f.systemTimesFail = false;
    sampleCpuLoad();
    EXPECT_EQ(s.systemTimeDelta, 2300);  // from system start again
}

TEST_F(SystemLoad, TotalMemoryInMegabytes) {
    EXPECT_EQ(megabytesFromBytes(4294967296ull), 4096);
    EXPECT_EQ(megabytesFromBytes(2147483647ull), 2048);
    EXPECT_EQ(megabytesFromBytes(0), 0);
    EXPECT_EQ(megabytesFromBytes(1572864ull), 2);      // 1.5 MB
    EXPECT_EQ(megabytesFromBytes(2621440ull), 2);      // 2.5 MB, to even
    EXPECT_EQ(megabytesFromBytes(~0ull), 2147483647);  // never wraps negative

    fakeos::state().memory = {37, 805306368ull, 0};
    sampleMemory();
    EXPECT_EQ(monitorState.totalMemoryMB, 768);
}

}  // namespace
