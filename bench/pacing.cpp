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

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// Milliseconds of the day of every record of `name`, in file order.
std::vector<double> recordTimes(const std::string& path, const std::string& name) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> out;
    std::size_t at = 0;
    int line = 0;
    double dayOffset = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        const std::string text = bytes.substr(at, end - at);
        at = end + 2;
        if (++line <= 9 || text.size() < 14 + name.size() + 1) continue;
        if (text.compare(14, name.size() + 1, name + " ") != 0) continue;
        int h = 0, m = 0, s = 0, ms = 0;
        if (std::sscanf(text.c_str(), "%2d:%2d:%2d:%3d", &h, &m, &s, &ms) != 4) continue;
        double t = ((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms + dayOffset;
        if (!out.empty() && t < out.back() - 43200000.0) {  // past midnight
            dayOffset += 86400000.0;
            t += 86400000.0;
        }
        out.push_back(t);
    }
    return out;
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

// Nearest-rank percentile: the smallest value with at least p of the
// values at or below it.
double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    std::size_t rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size())));
    rank = std::min(std::max<std::size_t>(rank, 1), v.size());
    return v[rank - 1];
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
    const std::vector<double> t = recordTimes(log, name);
    std::remove(log.c_str());
    if (status != 0 || t.size() < 2) {
        std::fprintf(stderr, "bench_pacing: Corvane exited with %d and wrote %zu records of %s\n", status, t.size(),
                     name.c_str());
        return 1;
    }

    // offset k = record k - (record 0 + k x interval); the stamps are whole
    // milliseconds, so "within 1 ms" is |offset| <= 1.
    std::vector<double> absolute;
    std::size_t within = 0;
    for (std::size_t k = 0; k < t.size(); ++k) {
        const double offset = t[k] - (t[0] + static_cast<double>(k) * intervalMs);
        absolute.push_back(std::fabs(offset));
        if (std::fabs(offset) <= 1.0) ++within;
    }
    const double drift = t.back() - (t.front() + static_cast<double>(t.size() - 1) * intervalMs);
    const double meanPeriod = (t.back() - t.front()) / static_cast<double>(t.size() - 1);

    std::printf("| interval | session | records | p50 abs(offset) | p99 abs(offset) | max abs(offset) "
                "| passes within 1 ms | drift at the end | mean period |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    std::printf("| %d ms | %g s | %zu | %.0f ms | %.0f ms | %.0f ms | %.1f %% | %+.0f ms | %.3f ms |\n", intervalMs, seconds,
                t.size(), percentile(absolute, 0.50), percentile(absolute, 0.99),
                *std::max_element(absolute.begin(), absolute.end()), 100.0 * static_cast<double>(within) /
                static_cast<double>(t.size()), drift, meanPeriod);
    std::printf("\nA real headless session (%s %s %s %d) logging %s, the first row of the table. offset = "
                "record stamp - (first record + k x interval), in whole ms (the log's resolution); drift = "
                "offset of the last record.\n",
                corvane.c_str(), mark, duration, intervalMs, name.c_str());
    return 0;
}
