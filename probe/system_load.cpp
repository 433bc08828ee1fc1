#include "probe/system_load.h"

#include "figures/rounding.h"
#include "os/cycle_window.h"
#include "os/os.h"
#include "probe/sample_report.h"
#include "probe/time_arithmetic.h"
#include "state/monitor_state.h"

float cpuClockFromCycles(std::uint32_t before, std::uint32_t after) {
    // The counter's low half wraps; the difference read as signed 32 bits is
    // the count over the window.
    return rounding::gigahertzFromTicks(static_cast<std::int32_t>(after - before));
}

void measureCpuClock() {
    const os::CycleWindow window = os::countCyclesOverTenMilliseconds();
    monitorState.cpuClockGHz = cpuClockFromCycles(window.before, window.after);
}

void sampleCpuLoad() {
    const std::int32_t load = measureCpuLoad();
    if (sampleReport.cpuLoadSampled) sampleReport.cpuLoadSampled(load, monitorState.cpuClockGHz);
}

std::int32_t megabytesFromBytes(std::uint64_t bytes) {
    return rounding::nearestSaturated(static_cast<double>(bytes) / 1024.0 / 1024.0);
}

void sampleMemory() {
    os::MemoryStatus memory;
    os::memoryStatus(memory);
    monitorState.totalMemoryMB = megabytesFromBytes(memory.totalBytes);
    if (sampleReport.memorySampled) sampleReport.memorySampled(memory.loadPercent, monitorState.totalMemoryMB);
}
