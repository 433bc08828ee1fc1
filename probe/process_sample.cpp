#include "probe/process_sample.h"

#include "probe/sample_report.h"
#include "state/monitor_state.h"

void showProcessSample(std::int32_t row, const os::ProcessSample& sample) {
    if (!storeRowSample(row, sample)) return;
    if (sampleReport.rowSampled) sampleReport.rowSampled(row);
}

void sampleProcess(std::int32_t pid, std::int32_t row) {
    if (row < 1) return;
    const auto at = static_cast<std::size_t>(row);
    if (at >= processTable.size() || at >= prevKernelTime.size() || at >= prevUserTime.size()) return;
    showProcessSample(row, os::queryProcess(pid));
}
