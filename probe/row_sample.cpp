#include "probe/row_sample.h"

#include "figures/rounding.h"
#include "probe/time_arithmetic.h"
#include "state/monitor_state.h"

std::int32_t kilobytesFromBytes(std::uint64_t bytes) {
    return rounding::nearestSaturated(static_cast<double>(bytes) / 1024.0);
}

bool storeRowSample(std::int32_t row, const os::ProcessSample& sample) {
    if (row < 1) return false;
    const auto at = static_cast<std::size_t>(row);
    if (at >= processTable.size() || at >= prevKernelTime.size() || at >= prevUserTime.size()) return false;

    // The zeros of a process that cannot be opened flow on: its share clamps
    // to 0 and its previous times restart from 0.
    const std::int64_t dUser = timearith::minus(sample.userTime, prevUserTime[at]);
    const std::int64_t dKernel = timearith::minus(sample.kernelTime, prevKernelTime[at]);
    const std::int64_t share = timearith::times100(timearith::plus(dUser, dKernel));

    ProcessEntry& entry = processTable[at];
    entry.cpuPercent = rounding::sharePercent(share, monitorState.systemTimeDelta);
    prevUserTime[at] = sample.userTime;
    prevKernelTime[at] = sample.kernelTime;
    entry.ramKB = kilobytesFromBytes(sample.workingSetBytes);
    entry.started = sample.opened ? sample.started : 0;
    return true;
}
