#include "probe/process_table.h"

#include "os/os.h"
#include "state/monitor_state.h"

void enumerateProcesses() {
    static std::vector<os::ProcessInfo> snapshot;  // kept to reuse its storage
    os::snapshotProcesses(snapshot);
    processTableTakenAt = os::processStartClock();

    MonitorState& s = monitorState;
    s.processCount = 0;
    for (os::ProcessInfo& entry : snapshot) {
        s.processCount += 1;
        // Growth is measured against the previous cycle's count, so a table
        // that was larger is cut to the rows filled so far and regrown.
        if (s.shownCount < s.processCount) {
            processTable.resize(static_cast<std::size_t>(s.processCount) + 2);
        }
        ProcessEntry& row = processTable[static_cast<std::size_t>(s.processCount)];
        row.pid = entry.pid;
        row.name.assign(entry.name.c_str());  // up to its terminating NUL
    }
}
