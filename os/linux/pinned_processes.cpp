// Following one process for a log session on Linux: its /proc/PID/stat kept
// open and read with pread.
//
// An open /proc/PID/stat belongs to the process it was opened for, not to
// its number: once that process has been reaped, reads fail with ESRCH even
// after the number went to a new process (the kernel finds the process
// through the descriptor's own reference, which no new process shares).
// The start time is compared with every read all the same, and is what
// identifies the process where no descriptor could be kept (the budget of
// kept descriptors is spent): it is then read by PID each time.
#include <fcntl.h>
#include <unistd.h>

#include "os/linux/descriptor_budget.h"
#include "os/linux/proc_read.h"
#include "os/os.h"

namespace os {

namespace {

using linuxproc::StatFields;

bool readStat(int fd, char* buffer, StatFields& stat) {
    const ssize_t n = linuxproc::readFromStart(fd, buffer, linuxproc::STAT_BUFFER_BYTES);
    return n > 0 && linuxproc::parseStat(buffer, static_cast<std::size_t>(n), stat);
}

int openStat(std::int32_t pid) {
    char path[64];
    linuxproc::procPath(path, sizeof path, pid, "stat");
    return ::open(path, O_RDONLY | O_CLOEXEC);
}

// A zombie has ended: only its parent has not collected it yet.
bool hasEnded(const StatFields& stat) { return stat.state == 'Z' || stat.state == 'X'; }

}  // namespace

PinnedProcess pinProcess(std::int32_t pid, std::uint64_t started, std::uint64_t listedAt) {
    PinnedProcess pin;
    pin.pid = pid;
    if (pid <= 0) return pin;
    const int fd = openStat(pid);
    if (fd < 0) return pin;
    char buffer[linuxproc::STAT_BUFFER_BYTES];
    StatFields stat;
    const bool meant = readStat(fd, buffer, stat) && !hasEnded(stat) && stat.startTicks <= listedAt &&
                       (started == 0 || stat.startTicks == started);
    if (!meant) {
        ::close(fd);
        return pin;
    }
    pin.pinned = true;
    pin.started = stat.startTicks;
    if (linuxproc::takeDescriptor()) {
        pin.handle = fd;
    } else {
        ::close(fd);  // read by PID each time, known by its start time
    }
    return pin;
}

ProcessSample samplePinned(PinnedProcess& process) {
    ProcessSample sample;
    if (!process.pinned || process.ended) return sample;
    char buffer[linuxproc::STAT_BUFFER_BYTES];
    StatFields stat;
    bool read = false;
    if (process.handle >= 0) {
        read = readStat(static_cast<int>(process.handle), buffer, stat);
    } else {
        const int fd = openStat(process.pid);
        if (fd >= 0) {
            read = readStat(fd, buffer, stat);
            ::close(fd);
        }
    }
    if (!read || hasEnded(stat) || stat.startTicks != process.started) {
        process.ended = true;
        return sample;
    }
    sample.opened = true;
    sample.kernelTime = linuxproc::ticksTo100ns(stat.stimeTicks);
    sample.userTime = linuxproc::ticksTo100ns(stat.utimeTicks);
    sample.workingSetBytes = stat.rssPages * linuxproc::pageSize();
    sample.started = stat.startTicks;
    return sample;
}

void unpinProcess(PinnedProcess& process) {
    if (process.handle >= 0) {
        ::close(static_cast<int>(process.handle));
        linuxproc::returnDescriptor();
    }
    process = PinnedProcess{};
}

}  // namespace os
