// The library's process table: cvplist, cvpnam, cvpid.
#include <cstring>
#include <exception>

#include "libprobe/corvprobe.h"
#include "libprobe/probe_state.h"

namespace cvp {

std::vector<ProbeEntry> probeTable;
std::int32_t probeCount = 0;
std::vector<std::int64_t> probePrevKernelTime;
std::vector<std::int64_t> probePrevUserTime;
os::SystemTimes probePrevSystemTimes;
std::int64_t probeSystemTimeDelta = 0;

void resetProbeState() {
    probeTable.clear();
    probePrevKernelTime.clear();
    probePrevUserTime.clear();
    probeCount = 0;
    probePrevSystemTimes = os::SystemTimes{};
    probeSystemTimeDelta = 0;
}

bool validIndex(std::int32_t index) {
    if (index < 1 || index > probeCount) return false;
    const std::size_t at = static_cast<std::size_t>(index);
    return at < probeTable.size() && at < probePrevKernelTime.size() && at < probePrevUserTime.size();
}

os::ProcessSample sampleOfIndex(std::size_t at) {
    ProbeEntry& entry = probeTable[at];
    if (entry.ended) return os::ProcessSample{};
    const os::ProcessSample sample = os::queryProcess(entry.pid);
    if (!sample.opened) return sample;  // zeros; a process of another start may follow
    if (entry.seenStart == 0) {
        entry.seenStart = sample.started;
        return sample;
    }
    if (sample.started != entry.seenStart) {
        entry.ended = true;
        return os::ProcessSample{};
    }
    return sample;
}

namespace {

// Grows (or, after a shorter list, re-grows) the tables so that k is a valid
// index. New entries are zero; existing ones that fit are kept.
void makeRoomFor(std::size_t k) {
    probeTable.resize(k + 1);
    probePrevKernelTime.resize(k + 1);
    probePrevUserTime.resize(k + 1);
}

void setName(ProbeEntry& entry, const std::string& name) {
    const std::size_t length = name.size() < PROBE_NAME_BYTES - 1 ? name.size() : PROBE_NAME_BYTES - 1;
    std::memset(entry.name, 0, sizeof entry.name);
    std::memcpy(entry.name, name.data(), length);
}

const char emptyName[1] = {'\0'};

}  // namespace

}  // namespace cvp

using namespace cvp;

extern "C" {

CVP_API int32_t CVP_CALL cvplist(void) {
    const std::int32_t previousCount = probeCount;
    std::int32_t walked = 0;
    try {
        std::vector<os::ProcessInfo> snapshot;
        os::snapshotProcesses(snapshot);  // a failed snapshot is simply empty
        for (const os::ProcessInfo& process : snapshot) {
            if (walked == INT32_MAX) break;
            const std::int32_t k = walked + 1;
            // Resized only while the running count passes the previous one.
            if (k > previousCount) makeRoomFor(static_cast<std::size_t>(k));
            ProbeEntry& entry = probeTable[static_cast<std::size_t>(k)];
            entry.pid = process.pid;
            entry.seenStart = 0;
            entry.ended = false;
            setName(entry, process.name);
            walked = k;
        }
    } catch (const std::exception&) {
        // Out of memory part-way: keep what was filled in, nothing beyond it.
    }
    probeCount = walked;
    return probeCount;
}

CVP_API const char* CVP_CALL cvpnam(int32_t index) {
    if (!validIndex(index)) return emptyName;
    return probeTable[static_cast<std::size_t>(index)].name;
}

CVP_API int32_t CVP_CALL cvpid(int32_t index) {
    if (!validIndex(index)) return 0;
    return probeTable[static_cast<std::size_t>(index)].pid;
}

}  // extern "C"
