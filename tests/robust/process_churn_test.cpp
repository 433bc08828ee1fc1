// Thousands of short-lived processes come and go while, in this one process,
// the monitor's sampling cycle (real OS layer, no window), log sessions that
// run beside it and mark rows of the churning processes, and the corvprobe
// library are all polled. Processes vanish between listing and measuring all
// the time: nothing may crash, trip the sanitizers or break the log.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "app/windowed.h"
#include "corvprobe.h"
#include "log/session_handover.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/robust/log_shape.h"

extern char** environ;

namespace {

constexpr int churnThreads = 2;
constexpr int processesPerThread = 1500;

// Each session: 1 s at 20 ms, 51 passes, 50 records per marked row.
constexpr int recordsPerRow = 50;

std::string ownName() {
    char buffer[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::filesystem::path(std::string(buffer, static_cast<std::size_t>(n))).filename().string()
                 : std::string();
}

// Starts and ends processes in small batches: /bin/true by posix_spawn, and
// forked copies of this process that live a few milliseconds, some of them
// ended early through the library. Returns how many were started.
int churn(unsigned seed, std::atomic<int>& killedByLibrary, std::atomic<bool>& failed) {
    std::mt19937 random(seed);
    int started = 0;
    while (started < processesPerThread) {
        std::vector<pid_t> batch;
        for (int k = 0; k < 8 && started < processesPerThread; ++k, ++started) {
            pid_t pid = -1;
            if (random() % 3 == 0) {
                const useconds_t life = static_cast<useconds_t>(random() % 5000);
                pid = fork();
                if (pid == 0) {
                    usleep(life);
                    _exit(0);
                }
            } else {
                char program[] = "/bin/true";
                char* argv[] = {program, nullptr};
                if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) pid = -1;
            }
            if (pid > 0) batch.push_back(pid);
        }
        for (pid_t pid : batch) {
            // Not reaped yet, so the PID cannot belong to anyone else.
            if (random() % 4 == 0) {
                if (cvpkill(pid) == 1) {
                    ++killedByLibrary;
                } else {
                    failed = true;
                }
            }
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }
    return started;
}

// Copies of this process that live a few hundred milliseconds, so that the
// sessions mark some of them and they end while being logged.
int linger(const std::atomic<bool>& stop) {
    std::mt19937 random(7);
    std::vector<pid_t> alive;
    int started = 0;
    while (!stop) {
        const useconds_t life = static_cast<useconds_t>(100000 + random() % 500000);
        const pid_t pid = fork();
        if (pid == 0) {
            usleep(life);
            _exit(0);
        }
        if (pid > 0) {
            alive.push_back(pid);
            ++started;
        }
        for (std::size_t i = 0; i < alive.size();) {
            int status = 0;
            if (waitpid(alive[i], &status, WNOHANG) == alive[i]) {
                alive.erase(alive.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
        usleep(30000);
    }
    for (pid_t pid : alive) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    return started;
}

// The library's whole table and every figure, out-of-range indices included.
void pollLibrary(const std::atomic<bool>& stop, std::atomic<int>& rounds, std::atomic<bool>& failed) {
    while (!stop) {
        cvcpu();
        const std::int32_t n = cvplist();
        if (n < 0) failed = true;
        for (std::int32_t i = -1; i <= n + 2; ++i) {
            const char* name = cvpnam(i);
            if (!name || std::strlen(name) > 29) failed = true;
            const bool inRange = i >= 1 && i <= n;
            if (!inRange && (name[0] != '\0' || cvpid(i) != 0 || cvpram(i) != 0 || cvpcpu(i) != 0)) failed = true;
            if (cvpram(i) < 0 || cvpcpu(i) < 0) failed = true;
            if (inRange && cvpid(i) <= 0) failed = true;
        }
        if (cvram() <= 0 || cvusedram() < 0 || cvusedram() > cvram()) failed = true;
        ++rounds;
    }
}

// Held by the test's sampling loop for each cycle, and by a session from its
// marking to its count, so the count is of the table the session logged from.
std::mutex pace;

// Marks row 1 and every row of this program or its forked copies, each by
// its PID and start, then runs a session beside the sampling loop, as the
// start button does. The session logs the rows marked when it starts, each
// from its own process to the end (most of them end during the session and
// are written as 0 % and 0 KB); a row whose process moved on before the
// start is not logged.
void logOnce(const std::string& path, const std::string& name, int& markedRows) {
    std::lock_guard<std::mutex> hold(pace);
    takeStateLock();
    monitorState.durationText = "1";
    monitorState.intervalText = "20";
    monitorState.logFileName = path;
    for (std::int32_t i = 1; i <= monitorState.processCount; ++i) {
        if (i == 1 || processTable[static_cast<std::size_t>(i)].name == name) markRow(i);
    }
    // Marks of earlier sessions stay on their rows while their processes last.
    markedRows = 0;
    for (std::int32_t i = 1; i <= monitorState.processCount; ++i) markedRows += rowIsMarked(i);
    releaseStateLock();
    runLogSessionBesideLoop();
}

TEST(ProcessChurn, SamplingLoopSessionsAndLibraryHoldUp) {
    resetMonitorState();
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("corv-robust-churn-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(folder);
    const std::string name = ownName();
    ASSERT_FALSE(name.empty());

    monitorState.firstRow = 1;
    monitorState.lastRow = VISIBLE_ROWS;
    enumerateProcesses();
    drawFirstFrame();
    createStateLock();

    std::atomic<bool> stop{false}, failed{false}, churnDone{false};
    std::atomic<int> libraryRounds{0}, killedByLibrary{0}, cycles{0};
    int started[churnThreads] = {};
    std::vector<std::thread> churners;
    for (int t = 0; t < churnThreads; ++t) {
        churners.emplace_back(
            [&, t] { started[t] = churn(1000u + static_cast<unsigned>(t), killedByLibrary, failed); });
    }
    int lingerers = 0;
    std::thread lingering([&] { lingerers = linger(churnDone); });
    std::thread library(pollLibrary, std::cref(stop), std::ref(libraryRounds), std::ref(failed));

    // Sessions one after another on their own thread while the processes churn.
    std::vector<std::string> logs;
    std::vector<int> markedRows;
    std::thread sessions([&] {
        for (int s = 0; !churnDone || s < 2; ++s) {
            logs.push_back(folder + "/churn" + std::to_string(s) + ".txt");
            markedRows.push_back(0);
            logOnce(logs.back(), name, markedRows.back());
            std::this_thread::sleep_for(std::chrono::milliseconds(400));  // cycles run between sessions
        }
    });

    std::thread waiter([&] {
        for (std::thread& c : churners) c.join();
        churnDone = true;
    });
    // The main thread is the sampling loop, without its pauses.
    while (!churnDone || cycles < 20) {
        {
            std::lock_guard<std::mutex> hold(pace);
            runSamplingCycle();
        }
        ++cycles;
        std::this_thread::yield();
    }
    waiter.join();
    sessions.join();
    lingering.join();
    stop = true;
    library.join();
    destroyStateLock();

    int total = 0;
    for (int s : started) total += s;
    std::printf(
        "%d processes and %d lingering, %d ended by cvpkill; %d sampling cycles, %d library rounds, "
        "%zu sessions\n",
        total, lingerers, killedByLibrary.load(), cycles.load(), libraryRounds.load(), logs.size());
    EXPECT_EQ(total, churnThreads * processesPerThread);
    EXPECT_FALSE(failed) << "a library figure out of its range, or cvpkill refused a child of ours";
    EXPECT_GT(libraryRounds, 0);

    std::printf("marked rows per session:");
    for (int m : markedRows) std::printf(" %d", m);
    std::printf("\n");
    ASSERT_GE(logs.size(), 2u);
    int marked = 0;
    for (int m : markedRows) marked += m;
    EXPECT_GT(marked, 2 * static_cast<int>(logs.size())) << "no lingering process was ever logged";
    for (std::size_t s = 0; s < logs.size(); ++s) {
        SCOPED_TRACE(logs[s]);
        const LogShape shape = readLogShape(logs[s], "1", "20");
        ASSERT_TRUE(shape.exists);
        EXPECT_TRUE(shape.headerComplete);
        EXPECT_TRUE(shape.problems.empty()) << joinLines(shape.problems);
        EXPECT_GE(markedRows[s], 1);
        EXPECT_EQ(shape.log.records.size(), static_cast<std::size_t>(recordsPerRow * markedRows[s]));
    }
    std::error_code ec;
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(folder, ec);
}

}  // namespace
