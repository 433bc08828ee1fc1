// Processes on Linux, from /proc (see process_instances.h for what is kept
// between reads), and ending them by PID or through a pidfd.
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "os/linux/proc_read.h"
#include "os/linux/process_instances.h"
#include "os/os.h"

// The numbers are the same on every architecture; older headers lack the names.
#ifndef SYS_pidfd_open
#define SYS_pidfd_open 434
#endif
#ifndef SYS_pidfd_send_signal
#define SYS_pidfd_send_signal 424
#endif

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

namespace {

// A pidfd turns readable once its process has ended.
bool stillRunning(int pidfd) {
    pollfd watch{pidfd, POLLIN, 0};
    return poll(&watch, 1, 0) == 0;
}

int pidfdOf(const HeldProcess& process) { return static_cast<int>(process.handle); }

}  // namespace

// A process's start time in /proc counts clock ticks of the boot-time clock.
std::uint64_t processStartClock() {
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0;
    const std::uint64_t ns =
        static_cast<std::uint64_t>(now.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(now.tv_nsec);
    return ns / (1000000000ull / static_cast<std::uint64_t>(linuxproc::clockTicksPerSecond()));
}

HeldProcess holdProcess(std::int32_t pid, const std::string& name, std::uint64_t listedAt, std::uint64_t started) {
    HeldProcess held;
    if (pid <= 0) return held;
    const long fd = syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
    if (fd < 0) return held;
    // Name and start time are read by PID; they are the held process's when
    // it still runs after the read, for it keeps its PID until it has ended.
    std::string current;
    std::uint64_t startTicks = 0;
    const bool listed = linuxproc::readIdentity(pid, current, startTicks) && stillRunning(static_cast<int>(fd)) &&
                        current == name && startTicks <= listedAt && (started == 0 || startTicks == started);
    if (!listed) {
        close(static_cast<int>(fd));
        return held;
    }
    held.held = true;
    held.handle = fd;
    return held;
}

bool endHeldProcess(const HeldProcess& process) {
    if (!process.held) return false;
    return syscall(SYS_pidfd_send_signal, pidfdOf(process), SIGKILL, nullptr, 0) == 0;
}

void releaseProcess(HeldProcess& process) {
    if (process.held) close(pidfdOf(process));
    process = HeldProcess{};
}

}  // namespace os
