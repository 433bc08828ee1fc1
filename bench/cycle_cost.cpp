// CPU time of Corvane's sampling work against a minimal reader of the same
// /proc data, at the machine's process count and with extra sleeping
// processes, as markdown table rows:
//   - windowed cycle: enumeration, gauges, every row sampled and drawn into
//     the in-memory framebuffer (one cycle of the sampling loop);
//   - probe part: the reading in such a cycle alone (the process snapshot,
//     system times, memory status and every row's process query);
//   - headless pass: one pass of a log session without a window
//     (sampleCpuLoad, sampleProcess for every row, a record for each of a few
//     marked rows, the flush).
//   bench_cycle_cost [extra processes...]     (default: 0 2000)
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/windowed.h"
#include "log/log_writer.h"
#include "os/os.h"
#include "probe/process_sample.h"
#include "probe/process_table.h"
#include "probe/system_load.h"
#include "screen/frame.h"
#include "state/monitor_state.h"

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
        while (read(fd, buffer, sizeof buffer) > 0) {}
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

// The machine is shared: measuring in alternating rounds lets a change in
// its load fall on every figure alike.
constexpr int ROUNDS = 5;

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

void probePart() {
    static std::vector<os::ProcessInfo> snapshot;
    os::snapshotProcesses(snapshot);
    os::SystemTimes times;
    os::systemTimes(times);
    os::MemoryStatus memory;
    os::memoryStatus(memory);
    for (const os::ProcessInfo& p : snapshot) os::queryProcess(p.pid);
}

constexpr int MARKED_ROWS = 3;

// The table for a headless session: one enumeration, a few rows marked
// spread over the list, one priming pass.
void prepareHeadless() {
    MonitorState& s = monitorState;
    enumerateProcesses();
    s.shownCount = s.processCount;
    resizeRowArrays(s.processCount);
    for (std::size_t i = 0; i < markedPid.size(); ++i) markedPid[i] = 0;
    for (int k = 1; k <= MARKED_ROWS && k <= s.processCount; ++k) {
        const std::int32_t row = k * s.processCount / MARKED_ROWS;
        markedPid[static_cast<std::size_t>(row)] = processTable[static_cast<std::size_t>(row)].pid;
    }
    sampleCpuLoad();
    for (std::int32_t i = 1; i <= s.processCount; ++i) sampleProcess(processTable[static_cast<std::size_t>(i)].pid, i);
}

void headlessPass(LogWriter& writer) {
    sampleCpuLoad();
    const std::int32_t count = monitorState.processCount;
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        sampleProcess(processTable[at].pid, i);
        if (rowIsMarked(i)) writeSampleRecord(writer, i);
    }
    flushLog(writer);
}

struct Row {
    int extra = 0;
    int processes = 0;
    double headless = 0, probe = 0, minimalBefore = 0, windowed = 0, minimalWindowed = 0;
};

double ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> extras;
    for (int i = 1; i < argc; ++i) extras.push_back(std::atoi(argv[i]));
    if (extras.empty()) extras = {0, 2000};
    std::vector<Row> rows(extras.size());

    // Without a window first, as in headless mode, where drawing does nothing.
    const std::string logPath = "/tmp/bench_cycle_cost_" + std::to_string(getpid()) + ".txt";
    LogWriter writer;
    openLog(writer, logPath);
    for (std::size_t k = 0; k < extras.size(); ++k) {
        Row& row = rows[k];
        row.extra = extras[k];
        const std::vector<pid_t> sleepers = startSleepers(row.extra);
        const int cycles = row.extra > 500 ? 4 : 20;
        prepareHeadless();
        for (int round = 0; round < ROUNDS; ++round) {
            row.headless += perCycleMs([&] { headlessPass(writer); }, cycles) / ROUNDS;
            row.probe += perCycleMs(probePart, cycles) / ROUNDS;
            row.minimalBefore += perCycleMs(minimalReaderCycle, cycles) / ROUNDS;
        }
        stopSleepers(sleepers);
    }
    closeLog(writer);
    std::remove(logPath.c_str());
    for (std::size_t i = 0; i < markedPid.size(); ++i) markedPid[i] = 0;

    monitorState.firstRow = 1;
    monitorState.lastRow = VISIBLE_ROWS;
    enumerateProcesses();
    drawFirstFrame();  // the in-memory window: drawing cost included, no display
    createStateLock();
    for (Row& row : rows) {
        const std::vector<pid_t> sleepers = startSleepers(row.extra);
        runSamplingCycle();
        const int cycles = row.extra > 500 ? 4 : 20;
        for (int round = 0; round < ROUNDS; ++round) {
            row.windowed += perCycleMs([] { runSamplingCycle(); }, cycles) / ROUNDS;
            row.minimalWindowed += perCycleMs(minimalReaderCycle, cycles) / ROUNDS;
        }
        row.processes = monitorState.processCount;
        stopSleepers(sleepers);
    }

    std::printf(
        "| extra sleeping processes | processes | minimal reader ms | headless pass ms | ratio "
        "| probe part ms | ratio | windowed cycle ms | ratio |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const Row& r : rows) {
        // The reader ran beside both halves; its mean is the yardstick.
        const double minimal = (r.minimalBefore + r.minimalWindowed) / 2;
        std::printf("| %d | %d | %.3f | %.3f | %.2f | %.3f | %.2f | %.3f | %.2f |\n", r.extra, r.processes, minimal,
                    r.headless, ratio(r.headless, minimal), r.probe, ratio(r.probe, minimal), r.windowed,
                    ratio(r.windowed, minimal));
    }
    return 0;
}
