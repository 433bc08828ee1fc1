// Processes on Linux, from /proc (see process_instances.h for what is kept
// between reads).
#include <signal.h>

#include "os/linux/process_instances.h"
#include "os/os.h"

namespace os {

// Linux executables carry no extension.
const std::size_t executableSuffixLength = 0;

bool snapshotProcesses(std::vector<ProcessInfo>& out) { return linuxproc::listProcesses(out); }

ProcessSample queryProcess(std::int32_t pid) { return linuxproc::readProcess(pid); }

bool terminateProcess(std::int32_t pid) {
    // 0 and negative values would address process groups or every process.
    if (pid <= 0) return false;
    return kill(pid, SIGKILL) == 0;
}

}  // namespace os
