// CPU time of one sampling cycle (enumeration, gauges, every row sampled and
// drawn into the framebuffer) against a minimal reader of the same /proc
// data, at the machine's process count and with extra sleeping processes.
//   bench_cycle_cost [extra processes...]     (default: 0 2000)
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/monitor_state.h"
#include "app/windowed.h"
#include "probe/process_table.h"
#include "screen/frame.h"

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// One open/read/close of /proc/<pid>/stat per process plus /proc/stat and
// /proc/meminfo: the least work that yields the same figures.
void minimalReaderCycle() {
    char buffer[4096];
    auto slurp = [&](const char* path) {
        const int fd = open(path, O_RDONLY);
        if (fd < 0) return;
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
        close(fd);
    };
    slurp("/proc/stat");
    slurp("/proc/meminfo");
    DIR* dir = opendir("/proc");
    if (!dir) return;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        char path[300];
        std::snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
        slurp(path);
    }
    closedir(dir);
}

template <class F>
double perCycleMs(F cycle, int cycles) {
    cycle();  // warm up
    const double t0 = cpuSeconds();
    for (int i = 0; i < cycles; ++i) cycle();
    return (cpuSeconds() - t0) * 1000.0 / cycles;
}

std::vector<pid_t> startSleepers(int count) {
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            pause();
            _exit(0);
        }
        if (pid > 0) pids.push_back(pid);
    }
    return pids;
}

void stopSleepers(const std::vector<pid_t>& pids) {
    for (pid_t p : pids) kill(p, SIGKILL);
    for (pid_t p : pids) waitpid(p, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> extras;
    for (int i = 1; i < argc; ++i) extras.push_back(std::atoi(argv[i]));
    if (extras.empty()) extras = {0, 2000};

    monitorState.firstRow = 1;
    monitorState.lastRow = VISIBLE_ROWS;
    enumerateProcesses();
    drawFirstFrame();  // the in-memory window: drawing cost included, no display
    createStateLock();

    std::printf("%-10s %-10s %-16s %-16s %-8s\n", "extra", "processes", "Corvane ms/cycle",
                "minimal ms/cycle", "ratio");
    for (int extra : extras) {
        const std::vector<pid_t> sleepers = startSleepers(extra);
        runSamplingCycle();
        const int cycles = extra > 500 ? 10 : 50;
        const double corvane = perCycleMs([] { runSamplingCycle(); }, cycles);
        const int count = monitorState.processCount;
        const double minimal = perCycleMs(minimalReaderCycle, cycles);
        std::printf("%-10d %-10d %-16.3f %-16.3f %-8.2f\n", extra, count, corvane, minimal,
                    minimal > 0 ? corvane / minimal : 0.0);
        stopSleepers(sleepers);
    }
    return 0;
}
