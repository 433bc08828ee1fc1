#include "probe/process_sample.h"

#include "figures/rounding.h"
#include "os/os.h"
#include "probe/process_table.h"
#include "probe/sample_report.h"
#include "probe/time_arithmetic.h"
#include "state/monitor_state.h"

std::int32_t kilobytesFromBytes(std::uint64_t bytes) {
    return rounding::nearestSaturated(static_cast<double>(bytes) / 1024.0);
}

void sampleProcess(std::int32_t pid, std::int32_t row) {
    if (row < 1) return;
    const auto at = static_cast<std::size_t>(row);
    if (at >= processTable.size() || at >= prevKernelTime.size() || at >= prevUserTime.size()) return;

    // A process that cannot be opened reads as zero times and zero memory;
    // the zeros flow on, so its share clamps to 0 and its previous times
    // restart from 0.
    const os::ProcessSample sample = os::queryProcess(pid);
    const std::int64_t dUser = timearith::minus(sample.userTime, prevUserTime[at]);
    const std::int64_t dKernel = timearith::minus(sample.kernelTime, prevKernelTime[at]);
    const std::int64_t share = timearith::times100(timearith::plus(dUser, dKernel));

    ProcessEntry& entry = processTable[at];
    entry.cpuPercent = rounding::sharePercent(share, monitorState.systemTimeDelta);
    prevUserTime[at] = sample.userTime;
    prevKernelTime[at] = sample.kernelTime;
    entry.ramKB = kilobytesFromBytes(sample.workingSetBytes);

    if (sampleReport.rowSampled) sampleReport.rowSampled(row);
}
