// Headless sessions killed at random moments (SIGKILL natively, TerminateProcess
// under Wine): at start-up, as the header is written and in the middle of the
// passes. Whatever moment the kill hits, the file is absent, a prefix of the
// header of whole lines, or the header and whole records; never a cut line.
//
// The program writes each record in one write. The system may still apply
// part of a write that spans a page boundary when the process is killed
// amid it (Linux checks for a fatal signal before each page). A file that
// ends mid-line exactly at a page boundary is therefore the system's cut:
// it is counted, and what stands before its last whole record is checked.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "tests/headless/child_process.h"
#include "tests/robust/log_shape.h"
#include "tests/robust/robust_programs.h"

namespace {

using Clock = std::chrono::steady_clock;

// Windows under Wine starts programs and writes files far more slowly.
// Many records per pass: a pass writes far more than a 4 KB buffer.
const int sleeperCount = robust::onWindows ? 8 : 100;
const int sessionCount = robust::onWindows ? 30 : 60;
const int startUpMs = robust::onWindows ? 300 : 30;

// Each session: 0.1 s at 1 ms, 101 passes, 100 written per marked process.
// With passes this short the program is writing most of the time, so the
// kills land between and amid the writes, not only in the pauses.
const std::string duration = "0.1";
const std::string interval = "1";
constexpr int fullRecords = 100;
// A record with its empty line, for names of up to 35 bytes; the header is
// about 200 bytes.
constexpr std::uintmax_t recordBytes = 85;
constexpr std::uintmax_t headerBytes = 200;

constexpr std::uintmax_t pageBytes = 4096;

// A file the system cut at a page boundary amid the last write goes back to
// its last whole record (or header line); true when it was such a file.
bool undoPageCut(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size == 0 || size % pageBytes != 0) return false;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0) return false;
    const std::size_t end = bytes.rfind("\r\n\r\n");
    if (end == std::string::npos) return false;
    std::filesystem::resize_file(path, end + 4, ec);
    return !ec;
}

unsigned seedFromEnvironment() {
    const char* text = std::getenv("CORV_ROBUST_SEED");
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 20261209u;
}

// Ends the waiting processes however the test leaves.
struct Sleepers {
    std::vector<Child> children;
    ~Sleepers() {
        for (Child& c : children) stopChild(c);
    }
};

TEST(KilledSessions, LeaveOnlyWholeHeaderLinesAndWholeRecords) {
    const unsigned seed = seedFromEnvironment();
    std::printf("kill moments from seed %u (set CORV_ROBUST_SEED to repeat another)\n", seed);
    std::fflush(stdout);
    std::mt19937 random(seed);

    const std::string folder = robust::scratch("kills");
    Sleepers sleepers;
    std::string selection;
    for (int i = 0; i < sleeperCount; ++i) {
        Child c = startChild(robust::sleeper, {"600"});
        ASSERT_NE(c.pid, 0);
        sleepers.children.push_back(c);
        selection += robust::pidText(c.pid) + ",";
    }

    // One session left to finish: the whole file.
    {
        const std::string log = folder + separator + "whole.txt";
        Child run = startChild(robust::corvane, {selection, duration, interval, log});
        ASSERT_EQ(waitChild(run, robust::watchdogSeconds), 0);
        const LogShape shape = readLogShape(log, duration, interval);
        EXPECT_TRUE(shape.headerComplete);
        EXPECT_TRUE(shape.problems.empty()) << joinLines(shape.problems);
        EXPECT_EQ(countRecords(shape.log, robust::sleeperName), fullRecords * sleeperCount);
    }
    // Kills amid the passes wait for the file to reach a random size, so they
    // fall inside the session however fast this build and machine are.
    const std::uintmax_t fullBytes =
        headerBytes + recordBytes * fullRecords * static_cast<std::uintmax_t>(sleeperCount);

    int absent = 0, headerPart = 0, headerOnly = 0, withRecords = 0, killedMidSession = 0, endedByItself = 0;
    int pageCuts = 0;
    for (int i = 0; i < sessionCount; ++i) {
        // 0 start-up, 1 as the file appears, 2 during the passes (most of them)
        const int mode = i % 6 < 2 ? i % 6 : 2;
        const std::string log = folder + separator + "kill" + std::to_string(i) + ".txt";
        const int delayUs = mode == 0 ? std::uniform_int_distribution<int>(0, startUpMs * 1000)(random)
                                      : std::uniform_int_distribution<int>(0, 2000)(random);
        const std::uintmax_t size =
            mode == 2 ? std::uniform_int_distribution<std::uintmax_t>(headerBytes, fullBytes * 9 / 10)(random) : 0;
        SCOPED_TRACE("session " + std::to_string(i) + ", mode " + std::to_string(mode) + ", size " +
                     std::to_string(size) + ", then " + std::to_string(delayUs) + " us");

        Child run = startChild(robust::corvane, {selection, duration, interval, log});
        ASSERT_NE(run.pid, 0);
        if (mode >= 1) {
            const auto giveUp = Clock::now() + std::chrono::seconds(robust::watchdogSeconds);
            for (;;) {
                std::error_code ec;
                const std::uintmax_t now = std::filesystem::file_size(log, ec);
                if ((!ec && now >= size) || Clock::now() > giveUp) break;
                std::this_thread::yield();
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
        // Kill at once unless it has ended by itself already.
        const int status = waitChild(run, 0);
        if (status >= 0) ++endedByItself;
        EXPECT_TRUE(status == -1 || status == 0) << "exit status " << status;

        if (status == -1 && undoPageCut(log)) ++pageCuts;
        const LogShape shape = readLogShape(log, duration, interval);
        EXPECT_TRUE(shape.problems.empty()) << joinLines(shape.problems);
        if (!shape.exists) {
            ++absent;
            EXPECT_EQ(status, -1) << "a session that ended by itself leaves its file";
            continue;
        }
        const std::size_t records = shape.log.records.size();
        if (!shape.headerComplete) ++headerPart;
        if (shape.headerComplete && records == 0) ++headerOnly;
        if (records > 0) ++withRecords;
        if (status == -1 && records > 0 && records < static_cast<std::size_t>(fullRecords * sleeperCount)) {
            ++killedMidSession;
        }
        EXPECT_LE(countRecords(shape.log, robust::sleeperName), fullRecords * sleeperCount);
        if (status == 0) {
            EXPECT_EQ(countRecords(shape.log, robust::sleeperName), fullRecords * sleeperCount);
        }
    }

    std::printf(
        "%d sessions: %d without a file, %d empty or with part of the header, %d header only, %d with records "
        "(%d killed amid the passes), %d ended by themselves, %d cut by the system at a page boundary\n",
        sessionCount, absent, headerPart, headerOnly, withRecords, killedMidSession, endedByItself, pageCuts);
    // A cut of the system's needs a kill amid one of the few writes that span
    // a page boundary: rare. Many of them would mean the program splits writes.
    EXPECT_LE(pageCuts, sessionCount / 10);
    // The moments must really have covered the middle of sessions.
    EXPECT_GE(killedMidSession, sessionCount / 3);
    std::error_code ec;
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(folder, ec);
}

}  // namespace
