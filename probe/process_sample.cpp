#include "probe/process_sample.h"

#include "screen/list_view.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

void showProcessSample(std::int32_t row, const os::ProcessSample& sample) {
    if (!storeRowSample(row, sample)) return;
    lockScreen();
    drawProcessRow(row);
    unlockScreen();
}

void sampleProcess(std::int32_t pid, std::int32_t row) {
    if (row < 1) return;
    const auto at = static_cast<std::size_t>(row);
    if (at >= processTable.size() || at >= prevKernelTime.size() || at >= prevUserTime.size()) return;
    showProcessSample(row, os::queryProcess(pid));
}
