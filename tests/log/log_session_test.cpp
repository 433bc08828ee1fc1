// Whole log sessions on the scripted OS and the in-memory window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/measuring_on_screen.h"
#include "log/log_session.h"
#include "log/session_report.h"
#include "probe/process_sample.h"
#include "probe/process_table.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"
#include "tests/log/log_test_files.h"

namespace {

const std::string CRLF = "\r\n";
constexpr int HEADER_LINES = 9;

// Splits at CR LF; the file ends with CR LF, so the last piece is dropped.
std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find(CRLF, at);
        if (end == std::string::npos) {
            out.push_back(bytes.substr(at) + "<no CR LF>");
            break;
        }
        out.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

class Session : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
        surface::reset();
        fakeos::state().processes = {
            {4, "System", false, 0, 0, 0},
            {100, "explorer.exe", true, 0, 0, 812 * 1024},
            {200, "notepad.exe", true, 0, 0, 520 * 1024},
        };
        enumerateProcesses();
        resizeRowArrays(monitorState.processCount);
        folder = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        monitorState.logFileName = inFolder(folder, "run.txt");
        monitorState.durationText = "1";
        monitorState.intervalText = "400";
    }
    void TearDown() override { surface::reset(); }

    void mark(int row) { markedPid[static_cast<std::size_t>(row)] = processTable[static_cast<std::size_t>(row)].pid; }
    // The window as the windowed start-up sets it up, showing the session.
    void openScreen() {
        showMeasuringOnScreen();
        openWindow(800, 584);
        monitorState.screenHeight = 584;
    }
    // Runs the session; the file's lines after the nine header lines.
    std::vector<std::string> run() {
        runLogSession();
        all = lines(readFile(monitorState.logFileName));
        if (all.size() < HEADER_LINES) return {"<short header>"};
        return std::vector<std::string>(all.begin() + HEADER_LINES, all.end());
    }
    // The record lines (every other line), checking the empty ones between.
    static std::vector<std::string> records(const std::vector<std::string>& body) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < body.size(); i += 2) {
            out.push_back(body[i]);
            EXPECT_TRUE(i + 1 < body.size() && body[i + 1].empty()) << "record " << i / 2 << " lacks its empty line";
        }
        return out;
    }
    static int countOf(const std::vector<std::string>& recs, const std::string& name) {
        int n = 0;
        for (const std::string& r : recs) n += r.size() > 14 && r.compare(14, name.size() + 1, name + " ") == 0;
        return n;
    }
    std::vector<std::int64_t>& pauses() { return fakeos::state().pauses; }
    // The pixels of an 8-pixel-high strip.
    static std::vector<std::uint32_t> strip(int x, int y, int width) {
        std::vector<std::uint32_t> out;
        for (int dy = 0; dy < 8; ++dy)
            for (int dx = 0; dx < width; ++dx) out.push_back(surface::pixel(x + dx, y + dy));
        return out;
    }
    // How the start button's label looks when drawn on its own.
    static std::vector<std::uint32_t> buttonLabel(const std::string& label) {
        fillBox(0, 300, 100, 320, colourBackground);
        drawText(8, 304, std::string(6, static_cast<char>(glyphFullBlock)), colourAccent);
        drawText(8, 304, label, colourWhite);
        return strip(8, 304, 48);
    }

    std::string folder;
    std::vector<std::string> all;
};

TEST_F(Session, EmptyTextsTakeTheDefaults) {
    monitorState.durationText.clear();
    monitorState.intervalText.clear();
    mark(2);
    mark(3);
    const auto recs = records(run());
    EXPECT_EQ(monitorState.durationText, "4");
    EXPECT_EQ(monitorState.intervalText, "400");
    ASSERT_EQ(all.size(), HEADER_LINES + 2u * 20);
    EXPECT_EQ(all[2], "Dauer:               4  Sekunden");
    EXPECT_EQ(all[3], "Intervall:         400  Millisekunden");
    EXPECT_EQ(countOf(recs, "explorer.exe"), 10);
    EXPECT_EQ(countOf(recs, "notepad.exe"), 10);
    // Passes write their marked rows in table order.
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(countOf({recs[i]}, i % 2 == 0 ? "explorer.exe" : "notepad.exe"), 1) << recs[i];
    }
    EXPECT_EQ(pauses().size(), 12u);  // priming pause + 11 passes
    EXPECT_EQ(pauses().front(), 400);
    EXPECT_EQ(monitorState.logState.load(), LOG_IDLE);
}

TEST_F(Session, PassCountsFromDurationAndInterval) {
    struct Case {
        const char* duration;
        const char* interval;
        int recordsEach;
    };
    const Case cases[] = {
        {"4", "400", 10},
        {"1", "400", 3},
        {"3", "2000", 1},
        {"0", "400", 0},
        {"1e3", "1e5", 10},
        {"1d3", "100000", 10},
        {" 7", "1000", 7},
        {"2", " 400", 5},
        // Durations that are no number, negative or infinite: header only.
        {"abc", "400", 0},
        {"-5", "400", 0},
        {"1e400", "400", 0},
        {"nan", "400", 0},
        // Intervals that cannot pace: one pass at once, header only.
        {"4", "0", 0},
        {"4", "abc", 0},
        {"4", "-5", 0},
        {"-4", "-400", 0},
        {"4", "1e400", 0},
        {"4", "nan", 0},
    };
    for (const Case& c : cases) {
        fakeos::state().pauses.clear();
        monitorState.durationText = c.duration;
        monitorState.intervalText = c.interval;
        mark(2);
        const auto recs = records(run());
        EXPECT_EQ(countOf(recs, "explorer.exe"), c.recordsEach) << c.duration << " / " << c.interval;
        EXPECT_EQ(recs.size(), static_cast<std::size_t>(c.recordsEach)) << c.duration << " / " << c.interval;
        EXPECT_EQ(pauses().size(), static_cast<std::size_t>(c.recordsEach) + 2) << c.duration << " / " << c.interval;
        EXPECT_EQ(monitorState.durationText, c.duration);  // only empty texts are replaced
        for (std::int64_t p : pauses()) EXPECT_GE(p, 0) << c.duration << " / " << c.interval;
    }
    // Unusable intervals never pause.
    monitorState.durationText = "4";
    monitorState.intervalText = "0";
    fakeos::state().pauses.clear();
    run();
    EXPECT_EQ(pauses(), (std::vector<std::int64_t>{0, 0}));
}

TEST_F(Session, HeaderOnlyWithoutMarkedRows) {
    const auto body = run();
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(all.size(), static_cast<std::size_t>(HEADER_LINES));
    EXPECT_EQ(pauses().size(), 5u);  // the full session time all the same
}

TEST_F(Session, PassesArePacedFromTheirOwnStart) {
    fakeos::State& f = fakeos::state();
    f.clockReadSeconds = 0;
    f.onQueryProcess = [](std::int32_t) { fakeos::advance(0.05); };  // each query takes 50 ms
    mark(2);
    const auto recs = records(run());
    // Three rows per pass: 150 ms of work, so 250 ms of pause.
    EXPECT_EQ(pauses(), (std::vector<std::int64_t>{400, 250, 250, 250, 250}));
    ASSERT_EQ(recs.size(), 3u);
    // Priming 150 + pause 400 + pass 1 400 = 950 ms; explorer is the second
    // row, sampled 100 ms into its pass. The records are one interval apart.
    EXPECT_EQ(recs[0].substr(0, 12), "05:25:18:050");
    EXPECT_EQ(recs[1].substr(0, 12), "05:25:18:450");
    EXPECT_EQ(recs[2].substr(0, 12), "05:25:18:850");
}

TEST_F(Session, APassLongerThanTheIntervalStartsTheNextAtOnce) {
    fakeos::State& f = fakeos::state();
    f.clockReadSeconds = 0;
    f.onQueryProcess = [](std::int32_t) { fakeos::advance(0.2); };  // 600 ms per pass
    mark(3);
    const auto recs = records(run());
    EXPECT_EQ(pauses(), (std::vector<std::int64_t>{400, 0, 0, 0, 0}));
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].substr(0, 12), "05:25:19:200");
    EXPECT_EQ(recs[1].substr(0, 12), "05:25:19:800");
    EXPECT_EQ(recs[2].substr(0, 12), "05:25:20:400");
}

// Milliseconds of the day in a record's time stamp (hh:mm:ss:mmm).
int stampMs(const std::string& record) {
    int h = 0, m = 0, sec = 0, ms = 0;
    std::sscanf(record.c_str(), "%2d:%2d:%2d:%3d", &h, &m, &sec, &ms);
    return ((h * 60 + m) * 60 + sec) * 1000 + ms;
}

TEST_F(Session, WorkOfFractionalMillisecondsDoesNotDrift) {
    // 0.9 ms per query, 2.7 ms per pass: pacing from each pass's rounded
    // elapsed time would lose 0.3 ms every pass; the schedule loses nothing.
    fakeos::State& f = fakeos::state();
    f.clockReadSeconds = 0;
    f.onQueryProcess = [](std::int32_t) { fakeos::advance(0.0009); };
    monitorState.durationText = "40";
    mark(2);
    const auto recs = records(run());
    ASSERT_EQ(recs.size(), 100u);
    // Stamps count whole milliseconds: one of rounding either way is allowed.
    for (std::size_t i = 1; i < recs.size(); ++i)
        ASSERT_NEAR(stampMs(recs[i]) - stampMs(recs[0]), static_cast<int>(i) * 400, 1) << "record " << i;
}

TEST_F(Session, AnOverrunMovesTheScheduleOnWithoutABurst) {
    fakeos::State& f = fakeos::state();
    f.clockReadSeconds = 0;
    int queries = 0;
    // The third pass (queries 10-12 after three priming ones) takes a second.
    f.onQueryProcess = [&](std::int32_t) {
        if (++queries == 10) fakeos::advance(1.0);
    };
    monitorState.durationText = "2";
    mark(2);
    const auto recs = records(run());
    ASSERT_EQ(recs.size(), 5u);
    EXPECT_EQ(stampMs(recs[1]) - stampMs(recs[0]), 1400);  // the second passed before row 2 of pass 3
    EXPECT_EQ(stampMs(recs[2]) - stampMs(recs[1]), 0);     // pass 4 starts at once
    EXPECT_EQ(stampMs(recs[3]) - stampMs(recs[2]), 400);   // then one interval apart again
    EXPECT_EQ(stampMs(recs[4]) - stampMs(recs[3]), 400);
}

TEST_F(Session, RecordsCarryEachPassFigures) {
    fakeos::State& f = fakeos::state();
    f.systemTimes = {0, 0, 0};
    f.onPause = [](std::int64_t) {
        fakeos::State& s = fakeos::state();
        s.systemTimes.kernel += 1000;
        s.systemTimes.idle += 600;
        fakeos::find(100)->kernelTime += 250;
        fakeos::find(100)->userTime += 50;
    };
    mark(2);
    mark(3);
    const auto recs = records(run());
    ASSERT_EQ(recs.size(), 6u);
    for (std::size_t i = 0; i < recs.size(); i += 2) {
        EXPECT_EQ(recs[i].substr(12), "  explorer.exe                        30% CPU              812 KB RAM");
        EXPECT_EQ(recs[i + 1].substr(12), "  notepad.exe                          0% CPU              520 KB RAM");
    }
}

TEST_F(Session, AMarkedProcessThatEndedIsWrittenAsZeros) {
    fakeos::find(100)->kernelTime = 5000;
    mark(2);
    fakeos::state().processes.erase(fakeos::state().processes.begin() + 1);
    const auto recs = records(run());
    ASSERT_EQ(recs.size(), 3u);
    for (const std::string& r : recs) {
        EXPECT_EQ(r.substr(12), "  explorer.exe                         0% CPU                0 KB RAM");
    }
}

// The marked process ends after the second pass and a busy process gets its
// PID: from then on the records read zeros, never the newcomer's figures,
// also once the old process's row would show it. Its pin is closed at the end.
TEST_F(Session, APidGivenToAnotherProcessNeverLendsItsFigures) {
    fakeos::State& f = fakeos::state();
    f.systemTimes = {0, 0, 0};
    int pauseCount = 0;
    f.onPause = [&](std::int64_t) {
        fakeos::State& os = fakeos::state();
        os.systemTimes.kernel += 1000;
        if (++pauseCount == 3) {
            fakeos::Process* p = fakeos::find(100);
            p->name = "impostor.exe";
            p->startedAt = 1;  // another process under PID 100
            p->workingSetBytes = 4000 * 1024;
        }
        if (pauseCount >= 3)
            fakeos::find(100)->kernelTime += 500;
        else
            fakeos::find(100)->kernelTime += 100;
    };
    mark(2);
    const auto recs = records(run());
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].substr(12), "  explorer.exe                        10% CPU              812 KB RAM");
    EXPECT_EQ(recs[1].substr(12), "  explorer.exe                         0% CPU                0 KB RAM");
    EXPECT_EQ(recs[2].substr(12), "  explorer.exe                         0% CPU                0 KB RAM");
    EXPECT_EQ(fakeos::openPins(), 0);
    EXPECT_EQ(fakeos::state().pins.size(), 1u);
}

// A mark belongs to a process: a process that got a marked one's PID at
// the same row shows no mark and is not logged.
TEST_F(Session, AMarkDoesNotPassToANewProcessUnderThePid) {
    fakeos::state().startClock = 100;
    fakeos::find(200)->startedAt = 5;
    enumerateProcesses();
    sampleProcess(200, 3);
    markRow(3);
    EXPECT_TRUE(rowIsMarked(3));
    fakeos::find(200)->startedAt = 9;  // notepad.exe ended, PID 200 reused
    enumerateProcesses();
    sampleProcess(200, 3);
    EXPECT_FALSE(rowIsMarked(3));
    EXPECT_TRUE(records(run()).empty());
    EXPECT_TRUE(fakeos::state().pins.empty());
}

// The process above a marked one ended before the session: the marked
// process moved up, and its old row now holds another process that nobody
// marked. Only a row whose mark is its own PID is logged.
TEST_F(Session, ARowIsLoggedOnlyWhileItsMarkIsItsPid) {
    mark(2);                                                             // explorer.exe
    fakeos::state().processes.erase(fakeos::state().processes.begin());  // System ends
    enumerateProcesses();
    ASSERT_EQ(processTable[1].pid, 100);
    ASSERT_EQ(processTable[2].pid, 200);
    EXPECT_TRUE(records(run()).empty());

    mark(1);  // marking explorer.exe where it sits now
    const auto recs = records(run());
    EXPECT_EQ(recs.size(), 3u);
    EXPECT_EQ(countOf(recs, "explorer.exe"), 3);
    EXPECT_EQ(countOf(recs, "notepad.exe"), 0);
}

TEST_F(Session, EveryRowIsSampledInEveryPass) {
    std::vector<std::int32_t> queried;
    fakeos::state().onQueryProcess = [&](std::int32_t pid) { queried.push_back(pid); };
    mark(3);
    run();
    // The priming pass and four passes, every row each time.
    ASSERT_EQ(queried.size(), 15u);
    const std::int32_t order[] = {4, 100, 200};
    for (std::size_t i = 0; i < queried.size(); ++i) EXPECT_EQ(queried[i], order[i % 3]);
}

// A headless session reads the system's times and its marked processes in
// each pass, nothing else: the table is taken once, before it starts.
TEST_F(Session, AHeadlessPassReadsOnlyTheMarkedProcesses) {
    fakeos::State& f = fakeos::state();
    for (std::int32_t pid = 300; pid < 400; ++pid) f.processes.push_back({pid, "idle.exe", true, 0, 0, 4096});
    enumerateProcesses();
    resizeRowArrays(monitorState.processCount);
    mark(3);
    mark(50);
    monitorState.markSpec = "notepad";
    std::vector<std::int32_t> read;
    f.onQueryProcess = [&](std::int32_t pid) { read.push_back(pid); };
    const int snapshots = f.snapshotCalls;
    const auto recs = records(run());
    EXPECT_EQ(recs.size(), 6u);
    EXPECT_EQ(f.queryProcessCalls, 0);
    EXPECT_EQ(f.samplePinnedCalls, 10);  // the priming pass and four passes
    EXPECT_EQ(f.snapshotCalls, snapshots);
    ASSERT_EQ(read.size(), 10u);
    for (std::size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i], i % 2 == 0 ? 200 : 346);
    EXPECT_EQ(fakeos::openPins(), 0);

    // Started from the window, every row is sampled to keep the list live.
    monitorState.markSpec.clear();
    f.queryProcessCalls = 0;
    run();
    EXPECT_EQ(f.queryProcessCalls, 5 * (monitorState.processCount - 2));
}

// Both ways of sampling a pass write the same bytes, whatever happens to
// the marked processes: figures that change, one that cannot be opened, one
// that ends and one whose PID goes to another process.
TEST_F(Session, AHeadlessLogIsTheSameSampledEitherWay) {
    const auto script = []() {
        fakeos::reset();
        fakeos::State& f = fakeos::state();
        f.processes = {{4, "System", false, 0, 0, 0},
                       {100, "explorer.exe", true, 0, 0, 812 * 1024},
                       {150, "idle.exe", true, 0, 0, 100 * 1024},
                       {200, "notepad.exe", true, 0, 0, 520 * 1024},
                       {250, "build.exe", true, 0, 0, 9000 * 1024}};
        f.memory = {40, 805306368ull, 0};
        f.cyclesPerSecond = 2390000000u;
        f.systemTimes = {0, 0, 0};
        f.onPause = [](std::int64_t) {
            fakeos::State& os = fakeos::state();
            const auto n = static_cast<std::int64_t>(os.pauses.size());
            os.systemTimes.kernel += 1000 + 10 * n;
            os.systemTimes.idle += 300;
            os.systemTimes.user += 200;
            fakeos::find(100)->kernelTime += 37 * n;
            fakeos::find(100)->workingSetBytes += 1536;
            if (fakeos::Process* build = fakeos::find(250)) build->userTime += 500;
            if (n == 3) fakeos::find(200)->startedAt = 9;  // PID 200 reused
            if (n == 4) {
                auto& list = os.processes;
                list.erase(
                    std::find_if(list.begin(), list.end(), [](const fakeos::Process& p) { return p.pid == 250; }));
            }
        };
        resetMonitorState();
        enumerateProcesses();
        resizeRowArrays(monitorState.processCount);
        for (int row : {1, 2, 4, 5}) markRow(row);
        monitorState.markSpec = "explorer";
        monitorState.durationText = "2";
        monitorState.intervalText = "250";
    };
    script();
    monitorState.logFileName = inFolder(folder, "every.txt");
    runLogSession(SessionRows::Every);
    EXPECT_EQ(fakeos::state().queryProcessCalls, 10);  // the unmarked row, each pass
    script();
    monitorState.logFileName = inFolder(folder, "marked.txt");
    runLogSession(SessionRows::Marked);
    EXPECT_EQ(fakeos::state().queryProcessCalls, 0);
    const std::string every = readFile(inFolder(folder, "every.txt"));
    const std::string marked = readFile(inFolder(folder, "marked.txt"));
    const std::vector<std::string> body = lines(every);
    ASSERT_EQ(body.size(), HEADER_LINES + 2u * 4 * 8);
    const auto record = [&](int k) { return body[static_cast<std::size_t>(HEADER_LINES + 2 * k)]; };
    EXPECT_EQ(record(3), "05:25:17:510  build.exe                           41% CPU             9000 KB RAM");
    EXPECT_EQ(record(5), "05:25:17:760  explorer.exe                         9% CPU              816 KB RAM");
    EXPECT_EQ(record(6), "05:25:17:760  notepad.exe                          0% CPU                0 KB RAM");
    EXPECT_EQ(record(11), "05:25:18:010  build.exe                            0% CPU                0 KB RAM");
    EXPECT_EQ(every, marked);
}

TEST_F(Session, SpaceEndsTheSessionAfterItsPass) {
    openScreen();
    surface::pushKey(" ");
    mark(2);
    EXPECT_EQ(records(run()).size(), 0u);  // taken after pass 1, which is never written
    EXPECT_EQ(pauses().size(), 2u);

    fakeos::state().pauses.clear();
    surface::pushKey("a");
    surface::pushKey("\xFFI");
    surface::pushKey(" ");
    EXPECT_EQ(records(run()).size(), 2u);  // one key per pass: space in pass 3
    EXPECT_EQ(pauses().size(), 4u);
    EXPECT_EQ(monitorState.logState.load(), LOG_IDLE);
}

// What the session tells whoever shows it, in order among its samples: the
// defaults it put in, that it logs (before the priming pass), one key asked
// for after each pass, and that it is over (logState 2 by then).
std::vector<std::string> told;
std::vector<std::string> keysToGive;

TEST_F(Session, TheFooterHearsTheSessionInOrder) {
    told.clear();
    sessionReport.footerChanged = [](SessionFooter state) {
        const MonitorState& s = monitorState;
        switch (state) {
            case SessionFooter::DurationDefaulted: told.push_back("duration " + s.durationText); return;
            case SessionFooter::IntervalDefaulted: told.push_back("interval " + s.intervalText); return;
            case SessionFooter::Logging: told.push_back("logging"); return;
            case SessionFooter::Idle: told.push_back("idle, logState " + std::to_string(s.logState.load())); return;
        }
    };
    sessionReport.takeKey = [] {
        told.push_back("key");
        if (keysToGive.empty()) return std::string();
        const std::string key = keysToGive.front();
        keysToGive.erase(keysToGive.begin());
        return key;
    };
    fakeos::state().onQueryProcess = [](std::int32_t pid) { told.push_back("sample " + std::to_string(pid)); };
    const std::vector<std::string> onePass{"sample 4", "sample 100", "sample 200"};

    // Empty texts: 4 s at 400 ms, a priming pass and eleven passes.
    monitorState.durationText.clear();
    monitorState.intervalText.clear();
    mark(2);
    run();
    std::vector<std::string> expected{"duration 4", "interval 400", "logging"};
    expected.insert(expected.end(), onePass.begin(), onePass.end());
    for (int pass = 1; pass <= 11; ++pass) {
        expected.insert(expected.end(), onePass.begin(), onePass.end());
        expected.push_back("key");
    }
    expected.push_back("idle, logState 2");
    EXPECT_EQ(told, expected);

    // Texts given: no defaults; the stop key ends the session after its pass.
    told.clear();
    keysToGive = {" "};
    run();
    expected = {"logging"};
    for (int pass = 0; pass <= 1; ++pass) expected.insert(expected.end(), onePass.begin(), onePass.end());
    expected.push_back("key");
    expected.push_back("idle, logState 2");
    EXPECT_EQ(told, expected);

    sessionReport = SessionReport{};
    fakeos::state().onQueryProcess = nullptr;
}

TEST_F(Session, TheWindowShowsTheSession) {
    openScreen();
    monitorState.durationText.clear();
    fillBox(0, 0, 799, 583, colourBackground);
    fillBox(168, 534, 253, 552, colourWhite);  // the duration field
    const auto logging = buttonLabel("LOGGE!");
    const auto idle = buttonLabel("START!");
    fillBox(0, 300, 100, 320, colourBackground);
    bool checkedDuring = false;
    fakeos::state().onPause = [&](std::int64_t) {
        if (checkedDuring) return;
        checkedDuring = true;
        EXPECT_EQ(surface::pixel(0, 0), colourLogging);
        EXPECT_EQ(surface::pixel(799, 583), colourLogging);
        EXPECT_EQ(surface::pixel(400, 583), colourLogging);
        EXPECT_EQ(strip(688, 539, 48), logging);
    };
    run();
    EXPECT_TRUE(checkedDuring);
    EXPECT_EQ(surface::pixel(0, 0), colourWhite);
    EXPECT_EQ(surface::pixel(799, 583), colourWhite);
    EXPECT_EQ(surface::pixel(0, 300), colourWhite);
    EXPECT_EQ(strip(688, 539, 48), idle);
    // The default duration is drawn into its field.
    int black = 0;
    for (std::uint32_t p : strip(180, 539, 8)) black += p == colourBlack;
    EXPECT_GT(black, 0);
}

TEST_F(Session, AnUnopenableFileStillRunsTheWholeSession) {
    writeFile(inFolder(folder, "plain"), "keep");
    monitorState.logFileName = inFolder(inFolder(folder, "plain"), "run.txt");
    mark(2);
    openScreen();
    const LogOutcome outcome = runLogSession();
    EXPECT_EQ(pauses().size(), 5u);
    EXPECT_EQ(monitorState.logState.load(), LOG_IDLE);
    EXPECT_EQ(readFile(inFolder(folder, "plain")), "keep");
    EXPECT_FALSE(fileExists(monitorState.logFileName));
    EXPECT_EQ(surface::pixel(0, 0), colourWhite);
    // The outcome names the file and the system's reason.
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.fileName, monitorState.logFileName);
    EXPECT_FALSE(outcome.failure.empty());
}

TEST_F(Session, AWrittenLogIsASuccessAndAPathTooLongIsNot) {
    mark(2);
    LogOutcome outcome = runLogSession();
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.fileName, monitorState.logFileName);
    EXPECT_TRUE(outcome.failure.empty());

    // A path one byte longer than the system takes: nothing is made or
    // opened, the whole session still runs, and the outcome says why.
    const std::string base = inFolder(inFolder(folder, "never"), "");
    monitorState.logFileName = base + std::string(os::longestPath + 1 - base.size(), 'x');
    pauses().clear();
    outcome = runLogSession();
    EXPECT_EQ(pauses().size(), 5u);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.failure, std::strerror(ENAMETOOLONG));
    EXPECT_FALSE(fileExists(inFolder(folder, "never")));
}

TEST_F(Session, MissingDirectoriesAreMade) {
    monitorState.logFileName = inFolder(inFolder(inFolder(folder, "new"), "deeper"), "run.txt");
    mark(2);
    const auto recs = records(run());
    EXPECT_EQ(recs.size(), 3u);
    EXPECT_EQ(all[0].substr(0, 8), "Log vom ");

    // A directory that holds a plain file is used as it is.
    writeFile(inFolder(folder, "other.txt"), "x");
    monitorState.logFileName = inFolder(folder, "second.txt");
    EXPECT_EQ(records(run()).size(), 3u);
}

TEST_F(Session, DefaultFileNameInTheWorkingDirectory) {
    monitorState.logFileName.clear();
    const std::string name = "Log 09-12-2026 052517.txt";
    std::remove(name.c_str());
    mark(2);
    runLogSession();
    const std::string bytes = readFile(name);
    std::remove(name.c_str());
    ASSERT_NE(bytes, "<missing>");
    EXPECT_EQ(bytes.substr(0, 48), "Log vom 09.12.2026          Startzeit:  05:25:17");
}

TEST_F(Session, HeadlessSessionMeasuresMemoryAndClockFirst) {
    fakeos::State& f = fakeos::state();
    f.memory = {40, 805306368ull, 0};
    f.cyclesPerSecond = 2390000000u;
    monitorState.totalMemoryMB = 512;
    monitorState.cpuClockGHz = 1.5f;
    run();
    EXPECT_EQ(all[5], "CPU-Takt: 1.5 GHz");  // windowed: the loop's figures
    EXPECT_EQ(all[6], "Verf\xFCgbarer Speicher: 512 MB");

    monitorState.markSpec = "explorer";
    run();
    EXPECT_EQ(monitorState.totalMemoryMB, 768);
    EXPECT_GE(monitorState.cpuClockGHz, 2.39f);
    EXPECT_EQ(all[6], "Verf\xFCgbarer Speicher: 768 MB");
    EXPECT_EQ(all[5].substr(0, 12), "CPU-Takt: 2.");
}

TEST_F(Session, ShortPerRowArraysAreNotOverrun) {
    markedPid.assign(2, 0);  // only row 1
    prevKernelTime.assign(2, 0);
    prevUserTime.assign(2, 0);
    markedPid[1] = 4;
    monitorState.processCount = 3;
    const auto recs = records(run());
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(countOf(recs, "System"), 3);
    monitorState.processCount = 1000;  // beyond the table itself
    EXPECT_EQ(records(run()).size(), 3u);
}

}  // namespace
