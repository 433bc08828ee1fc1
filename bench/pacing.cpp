// Pacing of a real headless log session: runs the built Corvane with short
// intervals, logging this process, and reads back the record time stamps.
// Each written pass should start one interval after the previous one; the
// table shows how far the passes stray from that schedule and how much the
// session drifts over its run. Not a test: it prints figures.
//
// Usage: bench_pacing [Corvane] [seconds per run]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string selfName() {
    std::ifstream in("/proc/self/comm");
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

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t i = static_cast<std::size_t>(std::lround(p * static_cast<double>(v.size() - 1)));
    return v[i];
}

struct Row {
    int intervalMs;
    const char* load;
    std::size_t passes;
    double meanPeriod, worstPeriodError, p95Offset, maxOffset, drift, driftPerPass;
};

Row measure(const std::string& corvane, int intervalMs, double seconds, const char* load) {
    char pidText[32];
    std::snprintf(pidText, sizeof pidText, "%04d", static_cast<int>(getpid()));
    const std::string log = "/tmp/corv-bench-pacing-" + std::to_string(getpid()) + ".txt";
    char duration[32];
    std::snprintf(duration, sizeof duration, "%g", seconds);
    runCorvane(corvane, {pidText, duration, std::to_string(intervalMs), log});
    const std::vector<double> t = recordTimes(log, selfName());
    std::remove(log.c_str());

    Row r{intervalMs, load, t.size(), 0, 0, 0, 0, 0, 0};
    if (t.size() < 2) return r;
    std::vector<double> offsets;
    for (std::size_t k = 0; k < t.size(); ++k) {
        offsets.push_back(t[k] - (t[0] + static_cast<double>(k) * intervalMs));
        if (k > 0) r.worstPeriodError = std::max(r.worstPeriodError, std::fabs(t[k] - t[k - 1] - intervalMs));
    }
    r.meanPeriod = (t.back() - t.front()) / static_cast<double>(t.size() - 1);
    std::vector<double> absolute;
    for (double o : offsets) absolute.push_back(std::fabs(o));
    r.p95Offset = percentile(absolute, 0.95);
    r.maxOffset = *std::max_element(absolute.begin(), absolute.end());
    r.drift = offsets.back();
    r.driftPerPass = r.drift / static_cast<double>(t.size() - 1);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string corvane = argc > 1 ? argv[1] : CORVANE_PATH;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    std::printf("Pacing of headless log sessions (%s, %.3g s each)\n", corvane.c_str(), seconds);
    std::printf("offset = record time - (first record + k * interval); drift = offset of the last record\n\n");
    std::printf("%9s %-6s %7s %11s %15s %11s %11s %10s %12s\n", "interval", "load", "records", "mean period",
                "worst |period-i|", "p95 |offset|", "max |offset|", "drift", "drift/pass");

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (const char* load : {"idle", "busy"}) {
        std::atomic<bool> stop{false};
        std::vector<std::thread> burners;
        if (load[0] == 'b') {
            for (unsigned i = 0; i < cores; ++i) {
                burners.emplace_back([&stop] {
                    volatile unsigned long spin = 0;
                    while (!stop.load(std::memory_order_relaxed)) spin = spin + 1;
                });
            }
        }
        for (int interval : {10, 50, 200, 1000}) {
            const double runSeconds = std::max(seconds, interval * 10 / 1000.0);
            const Row r = measure(corvane, interval, runSeconds, load);
            std::printf("%7d ms %-6s %7zu %8.3f ms %12.1f ms %8.1f ms %8.1f ms %7.1f ms %9.3f ms\n", r.intervalMs, r.load,
                        r.passes, r.meanPeriod, r.worstPeriodError, r.p95Offset, r.maxOffset, r.drift, r.driftPerPass);
        }
        stop = true;
        for (std::thread& t : burners) t.join();
    }
    return 0;
}
