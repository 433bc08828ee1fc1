// The library's own state: one process table and the previous times, in
// globals of the loaded module, shared by every thread of the host process.
// Nothing of the monitor program is shared.
#pragma once

#include <cstdint>
#include <vector>

#include "os/os.h"

namespace cvp {

constexpr std::size_t PROBE_NAME_BYTES = 30;  // 29 bytes of name and its zero

struct ProbeEntry {
    char name[PROBE_NAME_BYTES] = {};
    std::int32_t pid = 0;
    std::int32_t cpuPercent = 0;  // last cvpcpu of this index
    std::int32_t ramKB = 0;       // last cvpram of this index
    // The start that this index's first opened sample since cvplist read (0:
    // none yet); a later sample that reads another start finds the PID given
    // to another process, and the index answers 0 from then on.
    std::uint64_t seenStart = 0;
    bool ended = false;
};

// Indexed from 1 by the position in the last enumeration; index 0 carries no
// process. The previous times belong to the index, not to the process.
extern std::vector<ProbeEntry> probeTable;
extern std::int32_t probeCount;
extern std::vector<std::int64_t> probePrevKernelTime;
extern std::vector<std::int64_t> probePrevUserTime;

// Whole-system times at the last cvcpu, and kernel + user time between the
// last two cvcpu calls: the denominator of every per-process share.
extern os::SystemTimes probePrevSystemTimes;
extern std::int64_t probeSystemTimeDelta;

// The state as loading the library leaves it: no table, all times zero.
void resetProbeState();

// True when index names an entry of the last enumeration (1..probeCount).
bool validIndex(std::int32_t index);

// A sample of the process that index `at` (valid) was listed for: not
// opened, all zero, once that process has ended.
os::ProcessSample sampleOfIndex(std::size_t at);

}  // namespace cvp
