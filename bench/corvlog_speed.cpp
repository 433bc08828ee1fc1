// corvlog's speed and memory: a generated log of a long session (default
// 10 hours at 200 ms with 10 processes, about 1.8 million records and
// 150 MB) and one of a tenth of its length, each read by every streaming
// command; wall and CPU time (user + system) of the median run, MB/s by
// each, and peak resident memory. On a busy machine the wall time includes
// waiting for a core; the CPU time is what the reading costs.
// The files are read once before so that the page cache holds them: the
// figures are corvlog's, not the disk's.
// Then `follow`: a session of [follow seconds] written pass by pass at the
// interval, as the monitor writes it, while `corvlog follow` keeps its
// textfile current; its CPU time against the session's length.
//
//   bench_corvlog_speed CORVLOG [hours] [processes] [interval ms] [runs] [follow seconds]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string field(long value, std::size_t width) {
    std::string t = std::to_string(value);
    return std::string(t.size() < width ? width - t.size() : 0, ' ') + t;
}

std::string logHeader(double seconds, int interval) {
    return "Log vom 09.12.2026          Startzeit:  21:15:00\r\n\r\nDauer:" + std::string(8, ' ') +
           field(static_cast<long>(seconds), 8) + "  Sekunden\r\nIntervall:    " + field(interval, 8) +
           "  Millisekunden\r\n\r\nCPU-Takt: 2.39 GHz\r\nVerf\xFCgbarer Speicher: 24105 MB\r\n\r\n\r\n";
}

// Pass `p` (from 0): one record of every process, a few milliseconds apart.
void appendPass(std::string& out, long p, int processes, int interval, std::uint32_t& seed) {
    const long long ms = (21 * 3600 + 15 * 60) * 1000LL + 2 * interval + p * interval;
    for (int i = 0; i < processes; ++i) {
        const long long t = (ms + i) % 86'400'000;
        char stamp[24];
        std::snprintf(stamp, sizeof stamp, "%02lld:%02lld:%02lld:%03lld", t / 3'600'000, t / 60'000 % 60, t / 1000 % 60,
                      t % 1000);
        seed = seed * 1103515245u + 12345u;
        std::string name = "worker_" + std::to_string(i) + (i % 3 == 0 ? ".exe" : " service");
        name.resize(std::max<std::size_t>(name.size(), 35), ' ');
        out += std::string(stamp) + "  " + name + field(static_cast<long>(seed >> 16) % 101, 3) + "% CPU" +
               field(100'000 + static_cast<long>(seed >> 8) % 50'000 + p / 100, 17) + " KB RAM\r\n\r\n";
    }
}

// A session as the monitor writes it: header, then the passes.
std::uintmax_t writeLog(const std::string& path, double hours, int processes, int interval) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::string out = logHeader(hours * 3600, interval);
    const long passes = static_cast<long>(hours * 3'600'000 / interval);
    std::uint32_t seed = 15;
    for (long p = 0; p < passes; ++p) {
        appendPass(out, p, processes, interval, seed);
        if (out.size() > (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), f);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    return std::filesystem::file_size(path);
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system
    long peakKB = 0;
    int status = -1;
};

pid_t start(const std::vector<std::string>& args) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

Run finish(pid_t pid, std::chrono::steady_clock::time_point began) {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    r.peakKB = usage.ru_maxrss;
    r.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

Run runOnce(const std::vector<std::string>& args) {
    const auto begin = std::chrono::steady_clock::now();
    return finish(start(args), begin);
}

// `corvlog follow` beside a session written pass by pass in real time.
void followCost(const std::string& corvlog, const std::filesystem::path& dir, double seconds, int processes,
                int interval) {
    const std::string log = (dir / "live.txt").string();
    const std::filesystem::path textfiles = dir / "textfiles";
    std::filesystem::create_directories(textfiles);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = start({corvlog, "follow", log, "--textfile", textfiles.string(), "--wait", "10"});
    std::FILE* f = std::fopen(log.c_str(), "wb");
    if (!f) return;
    std::string out = logHeader(seconds, interval);
    const long passes = std::lround(seconds * 1000 / interval);
    std::uint32_t seed = 15;
    for (long p = 0; p <= passes; ++p) {
        if (p > 0) appendPass(out, p - 1, processes, interval, seed);
        std::fwrite(out.data(), 1, out.size(), f);
        std::fflush(f);
        out.clear();
        std::this_thread::sleep_until(begin + std::chrono::milliseconds(interval * (p + 1)));
    }
    std::fclose(f);
    const Run r = finish(pid, begin);
    std::printf(
        "\nfollow: a %.0f s session at %d ms with %d processes written in real time: corvlog follow used %.3f s "
        "CPU in %.1f s, %.2f %% of a core (exit status %d).\n",
        seconds, interval, processes, r.cpuSeconds, r.seconds, 100 * r.cpuSeconds / r.seconds, r.status);
}

Run median(const std::vector<std::string>& args, int runs) {
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) all.push_back(runOnce(args));
    std::sort(all.begin(), all.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run m = all[all.size() / 2];
    for (const Run& r : all) m.peakKB = std::max(m.peakKB, r.peakKB);
    return m;
}

void warm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {}
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORVLOG [hours] [processes] [interval ms] [runs] [follow seconds]\n", argv[0]);
        return 2;
    }
    const std::string corvlog = argv[1];
    const double hours = argc > 2 ? std::atof(argv[2]) : 10;
    const int processes = argc > 3 ? std::atoi(argv[3]) : 10;
    const int interval = argc > 4 ? std::atoi(argv[4]) : 200;
    const int runs = argc > 5 ? std::atoi(argv[5]) : 3;
    const double followSeconds = argc > 6 ? std::atof(argv[6]) : 60;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("corvlog-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string big = (dir / "long.txt").string(), small = (dir / "tenth.txt").string();
    const double bigMB = static_cast<double>(writeLog(big, hours, processes, interval)) / 1e6;
    const double smallMB = static_cast<double>(writeLog(small, hours / 10, processes, interval)) / 1e6;
    const long records = static_cast<long>(hours * 3'600'000 / interval) * processes;
    std::printf(
        "Log: %.4g h at %d ms with %d processes, %ld records, %.1f MB (and a tenth of it, %.1f MB); "
        "median of %d runs, page cache warm.\n\n",
        hours, interval, processes, records, bigMB, smallMB, runs);
    std::printf(
        "| command | wall s | MB/s (wall) | CPU s | MB/s (CPU) | peak RSS KB | peak RSS KB, a tenth of the log |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    const std::string svg = (dir / "chart.svg").string();
    const std::vector<std::vector<std::string>> commands = {
        {"summary"}, {"csv"}, {"json"}, {"openmetrics"}, {"plot", "-o", svg}};
    for (const auto& command : commands) {
        std::vector<std::string> args = {corvlog, command[0], big};
        args.insert(args.end(), command.begin() + 1, command.end());
        std::vector<std::string> tenth = {corvlog, command[0], small};
        tenth.insert(tenth.end(), command.begin() + 1, command.end());
        warm(big);
        const Run r = median(args, runs);
        warm(small);
        const Run t = median(tenth, runs);
        if (r.status != 0 || t.status != 0) std::printf("(exit status %d / %d) ", r.status, t.status);
        std::printf("| %s | %.2f | %.0f | %.2f | %.0f | %ld | %ld |\n", command[0].c_str(), r.seconds,
                    bigMB / r.seconds, r.cpuSeconds, bigMB / std::max(r.cpuSeconds, 1e-3), r.peakKB, t.peakKB);
        std::fflush(stdout);
    }
    if (followSeconds > 0) followCost(corvlog, dir, followSeconds, processes, interval);
    std::filesystem::remove_all(dir);
    return 0;
}
