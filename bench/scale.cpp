// How the table and drawing work of a windowed sampling cycle grows with the
// number of processes. The scripted OS supplies the processes, so no /proc
// reading is timed: enumeration, the window rules, both gauges, every row
// sampled and drawn into the in-memory window, and the batch end.
//
// Between cycles a few processes use CPU time and change their working set,
// so their rows (and the gauges) change as on a live machine; one process in
// twenty-five ends and another starts in its place every cycle.
//   bench_scale [process counts...]     (default: 1000 5000 10000)
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "app/windowed.h"
#include "probe/process_table.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

constexpr std::int64_t TICKS_PER_CYCLE = 8'000'000;  // 800 ms in 100 ns units

void script(int count) {
    std::lock_guard<std::recursive_mutex> guard(fakeos::lock());
    fakeos::State& os = fakeos::state();
    os.processes.clear();
    for (int i = 0; i < count; ++i) {
        fakeos::Process p;
        p.pid = 100 + 4 * i;
        p.name = i % 3 == 0 ? "service-host-" + std::to_string(i) + ".exe" : "proc" + std::to_string(i);
        p.workingSetBytes = 4096ull * static_cast<unsigned>(100 + i % 977);
        os.processes.push_back(p);
    }
    os.memory = {40, 16ull << 30, 9ull << 30};
    os.systemTimes = {};
    fakeos::indexProcesses();
}

// What a live machine does in 800 ms.
void liveMachine(int cycle) {
    std::lock_guard<std::recursive_mutex> guard(fakeos::lock());
    fakeos::State& os = fakeos::state();
    os.systemTimes.idle += TICKS_PER_CYCLE * 3 / 2;
    os.systemTimes.kernel += TICKS_PER_CYCLE * 3 / 2 + TICKS_PER_CYCLE / 10;
    os.systemTimes.user += TICKS_PER_CYCLE / 5;
    os.memory.loadPercent = 40 + static_cast<std::uint32_t>(cycle % 3);
    const std::size_t n = os.processes.size();
    for (std::size_t k = static_cast<std::size_t>(cycle) % 7; k < n; k += 7) {
        fakeos::Process& p = os.processes[k];
        p.userTime += TICKS_PER_CYCLE / 50 * static_cast<std::int64_t>(1 + (k + cycle) % 4);
        p.workingSetBytes += 4096;
    }
    for (std::size_t k = static_cast<std::size_t>(cycle) % 25; k < n; k += 25) {
        os.processes[k].pid += 1;  // an ended process, a new one in its place
        os.processes[k].userTime = 0;
    }
    fakeos::indexProcesses();
}

double msPerCycle(int count, int cycles) {
    fakeos::reset();
    resetMonitorState();
    surface::reset();
    script(count);
    monitorState.firstRow = 1;
    monitorState.lastRow = VISIBLE_ROWS;
    enumerateProcesses();
    drawFirstFrame();
    createStateLock();
    liveMachine(0);
    runSamplingCycle();  // warm-up

    double spent = 0;
    for (int c = 1; c <= cycles; ++c) {
        liveMachine(c);  // the script's own work is not timed
        const double t0 = cpuSeconds();
        runSamplingCycle();
        spent += cpuSeconds() - t0;
    }
    destroyStateLock();
    return spent * 1000.0 / cycles;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {1000, 5000, 10000};

    std::printf("| processes | ms per cycle | us per process |\n|---|---|---|\n");
    for (const int count : counts) {
        if (count <= 0) continue;
        const int cycles = count >= 5000 ? 20 : 50;
        const double ms = msPerCycle(count, cycles);
        std::printf("| %d | %.3f | %.3f |\n", count, ms, ms * 1000.0 / count);
        std::fflush(stdout);
    }
    return 0;
}
