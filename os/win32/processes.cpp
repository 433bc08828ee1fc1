// Processes on Windows: Toolhelp snapshot, process times, working set.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "os/os.h"

namespace os {

// Executable names end in ".exe".
const std::size_t executableSuffixLength = 4;

bool snapshotProcesses(std::vector<ProcessInfo>& out) {
    out.clear();
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;  // the ANSI record: 296 bytes
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
        ProcessInfo info;
        info.pid = static_cast<std::int32_t>(entry.th32ProcessID);
        entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
        info.name = entry.szExeFile;
        out.push_back(std::move(info));
    }
    CloseHandle(snap);
    return true;
}

namespace {
std::int64_t fileTime(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}
}  // namespace

ProcessSample queryProcess(std::int32_t pid) {
    ProcessSample sample;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(pid));
    FILETIME creation{}, exit{}, kernel{}, user{};
    GetProcessTimes(process, &creation, &exit, &kernel, &user);
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    if (process) {
        sample.opened = true;
        sample.started = static_cast<std::uint64_t>(fileTime(creation));
        CloseHandle(process);
    }
    sample.kernelTime = fileTime(kernel);
    sample.userTime = fileTime(user);
    sample.workingSetBytes = counters.WorkingSetSize;
    return sample;
}

namespace {
// PROCESS_ALL_ACCESS as the older headers define it; newer ones widened it,
// which older Windows versions refuse.
constexpr DWORD ALL_ACCESS_OLD = 0x1F0FFF;

HANDLE handleOf(const HeldProcess& process) { return reinterpret_cast<HANDLE>(process.handle); }
}  // namespace

bool terminateProcess(std::int32_t pid) {
    HANDLE process = OpenProcess(ALL_ACCESS_OLD, FALSE, static_cast<DWORD>(pid));
    const BOOL ended = TerminateProcess(process, 0);
    if (process) CloseHandle(process);
    return ended != 0;
}

// A listing says nothing about when its processes started here; the
// creation time a sample read is what tells a process from a later one under
// the same PID (it is stored with the process, so setting the clock back
// does not move it).
std::uint64_t processStartClock() { return 0; }

namespace {
std::uint64_t creationTime(HANDLE process) {
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!GetProcessTimes(process, &creation, &exit, &kernel, &user)) return 0;
    return static_cast<std::uint64_t>(fileTime(creation));
}
}  // namespace

HeldProcess holdProcess(std::int32_t pid, const std::string& name, std::uint64_t /*listedAt*/, std::uint64_t started) {
    HeldProcess held;
    HANDLE process = OpenProcess(ALL_ACCESS_OLD, FALSE, static_cast<DWORD>(pid));
    if (!process) return held;
    // While a handle is open, Windows gives the PID to no other process: the
    // process a listing taken now shows under it is the one held. Whether it
    // is the one the row was sampled from, its creation time says.
    std::vector<ProcessInfo> now;
    bool listed = false;
    if ((started == 0 || creationTime(process) == started) && snapshotProcesses(now)) {
        for (const ProcessInfo& p : now) {
            if (p.pid != pid) continue;
            listed = p.name == name;
            break;
        }
    }
    if (!listed) {
        CloseHandle(process);
        return held;
    }
    held.held = true;
    held.handle = reinterpret_cast<std::intptr_t>(process);
    return held;
}

bool endHeldProcess(const HeldProcess& process) {
    if (!process.held) return false;
    return TerminateProcess(handleOf(process), 0) != 0;
}

void releaseProcess(HeldProcess& process) {
    if (process.held) CloseHandle(handleOf(process));
    process = HeldProcess{};
}

// The query rights of queryProcess, and SYNCHRONIZE to see the end.
PinnedProcess pinProcess(std::int32_t pid, std::uint64_t started, std::uint64_t /*listedAt*/) {
    PinnedProcess pin;
    pin.pid = pid;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return pin;
    const std::uint64_t created = creationTime(process);
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0 || (started != 0 && created != started)) {
        CloseHandle(process);
        return pin;
    }
    pin.pinned = true;
    pin.started = created;
    pin.handle = reinterpret_cast<std::intptr_t>(process);
    return pin;
}

ProcessSample samplePinned(PinnedProcess& process) {
    ProcessSample sample;
    if (!process.pinned || process.ended) return sample;
    HANDLE handle = reinterpret_cast<HANDLE>(process.handle);
    if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
        process.ended = true;
        return sample;
    }
    FILETIME creation{}, exit{}, kernel{}, user{};
    GetProcessTimes(handle, &creation, &exit, &kernel, &user);
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(handle, &counters, sizeof counters);
    sample.opened = true;
    sample.started = process.started;
    sample.kernelTime = fileTime(kernel);
    sample.userTime = fileTime(user);
    sample.workingSetBytes = counters.WorkingSetSize;
    return sample;
}

void unpinProcess(PinnedProcess& process) {
    if (process.pinned) CloseHandle(reinterpret_cast<HANDLE>(process.handle));
    process = PinnedProcess{};
}

}  // namespace os
