// Pacing of a real headless log session: runs the built Corvane once for a
// long session at a short interval, logging the first process of the table
// (its record is written right after the pass's first sample, so its time
// stamp is as close to the pass's start as a record gets), and reads back the
// record time stamps. The schedule is the first written pass + k x interval;
// the table shows how far each pass starts from it and where the session
// ends up. Not a test: it prints figures.
//
// Usage: bench_pacing [Corvane] [seconds] [interval ms]   (default 600 s, 100 ms)
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pacing_figures.h"

namespace {

// The lowest PID in /proc: the first row of the monitor's table.
int firstProcess() {
    int lowest = 0;
    if (DIR* dir = opendir("/proc")) {
        while (dirent* e = readdir(dir)) {
            const int pid = std::atoi(e->d_name);
            if (pid > 0 && (lowest == 0 || pid < lowest)) lowest = pid;
        }
        closedir(dir);
    }
    return lowest;
}

std::string processName(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

int runCorvane(const std::string& corvane, const std::vector<std::string>& args) {
    std::vector<std::string> text{corvane};
    text.insert(text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : text) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(corvane.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corvane = argc > 1 ? argv[1] : CORVANE_PATH;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 600.0;
    const int intervalMs = argc > 3 ? std::atoi(argv[3]) : 100;
    if (seconds <= 0 || intervalMs <= 0) {
        std::fprintf(stderr, "usage: bench_pacing [Corvane] [seconds > 0] [interval ms > 0]\n");
        return 2;
    }

    const int pid = firstProcess();
    const std::string name = processName(pid);
    char mark[32];
    std::snprintf(mark, sizeof mark, "%04d", pid);
    const std::string log = "/tmp/corv-bench-pacing-" + std::to_string(getpid()) + ".txt";
    char duration[32];
    std::snprintf(duration, sizeof duration, "%g", seconds);
    const int status = runCorvane(corvane, {mark, duration, std::to_string(intervalMs), log});
    std::ifstream in(log, std::ios::binary);
    const std::vector<double> t =
        recordTimes(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), name);
    in.close();
    std::remove(log.c_str());
    if (status != 0 || t.size() < 2) {
        std::fprintf(stderr, "bench_pacing: Corvane exited with %d and wrote %zu records of %s\n", status, t.size(),
                     name.c_str());
        return 1;
    }

    const PacingFigures f = pacingFigures(t, intervalMs);

    std::printf(
        "| interval | session | records | p50 abs(offset) | p99 abs(offset) | max abs(offset) "
        "| passes within 1 ms | drift at the end | mean period | p50 / p99 / max abs(period - interval) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    std::printf(
        "| %d ms | %g s | %zu | %.0f ms | %.0f ms | %.0f ms | %.1f %% | %+.0f ms | %.3f ms | %.0f / %.0f / %.0f ms |\n",
        intervalMs, seconds, f.records, f.p50, f.p99, f.maxOffset, 100.0 * f.withinOneMs, f.drift, f.meanPeriod,
        f.periodP50, f.periodP99, f.periodMax);
    std::printf(
        "\nA real headless session (%s %s %s %d) logging %s, the first row of the table. offset = "
        "record stamp - (first record + k x interval), in whole ms (the log's resolution); drift = "
        "offset of the last record. A pass that overruns its slot moves the schedule on, so one late pass "
        "shifts every later offset; the period columns show how evenly the passes follow each other.\n",
        corvane.c_str(), mark, duration, intervalMs, name.c_str());
    return 0;
}
