// Processes on Linux, from /proc.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "os/linux/proc_read.h"
#include "os/os.h"

namespace os {

// Linux executables carry no extension.
const std::size_t executableSuffixLength = 0;

namespace {

bool isNumeric(const char* name) {
    if (*name == '\0') return false;
    for (const char* p = name; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
    }
    return true;
}

// The kernel keeps at most 15 bytes of a command name; complete a cut name
// from the first word of the command line, as long as it really continues it.
std::string completeName(int pid, std::string comm) {
    if (comm.size() < 15) return comm;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/cmdline", pid);
    std::string cmdline;
    if (!linuxproc::readSmallFile(path, cmdline) || cmdline.empty()) return comm;
    std::string first = cmdline.substr(0, cmdline.find('\0'));
    const std::size_t blank = first.find(' ');
    if (blank != std::string::npos) first.resize(blank);
    const std::size_t slash = first.rfind('/');
    if (slash != std::string::npos) first.erase(0, slash + 1);
    if (first.size() > comm.size() && first.compare(0, comm.size(), comm) == 0) return first;
    return comm;
}

}  // namespace

bool snapshotProcesses(std::vector<ProcessInfo>& out) {
    out.clear();
    DIR* dir = opendir("/proc");
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        if (!isNumeric(entry->d_name)) continue;
        const long pid = std::strtol(entry->d_name, nullptr, 10);
        if (pid <= 0 || pid > 0x7fffffffL) continue;
        linuxproc::StatFields stat;
        if (!linuxproc::readStat(static_cast<int>(pid), stat)) continue;  // ended meanwhile
        ProcessInfo info;
        info.pid = static_cast<std::int32_t>(pid);
        info.name = completeName(info.pid, stat.comm);
        out.push_back(std::move(info));
    }
    closedir(dir);
    return true;
}

ProcessSample queryProcess(std::int32_t pid) {
    ProcessSample sample;
    if (pid <= 0) return sample;
    linuxproc::StatFields stat;
    if (!linuxproc::readStat(pid, stat)) return sample;
    sample.opened = true;
    sample.kernelTime = linuxproc::ticksTo100ns(stat.stimeTicks);
    sample.userTime = linuxproc::ticksTo100ns(stat.utimeTicks);
    sample.workingSetBytes = stat.rssPages * linuxproc::pageSize();
    return sample;
}

bool terminateProcess(std::int32_t pid) {
    // 0 and negative values would address process groups or every process.
    if (pid <= 0) return false;
    return kill(pid, SIGKILL) == 0;
}

}  // namespace os
