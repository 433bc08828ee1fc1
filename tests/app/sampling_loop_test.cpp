// The windowed start-up and the sampling loop's window rules, on the fake OS
// and the in-memory window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/windowed.h"
#include "log/session_handover.h"
#include "probe/process_table.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

class SamplingLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
        surface::reset();
        fakeos::state().memory = {40, 4ull << 30, 2ull << 30};
    }
    void TearDown() override { surface::reset(); }

    static void snapshotOf(int count, int firstPid = 100) {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        auto& list = fakeos::state().processes;
        list.clear();
        for (int i = 0; i < count; ++i) {
            fakeos::Process p;
            p.pid = firstPid + i;
            p.name = "proc" + std::to_string(i) + ".exe";
            p.workingSetBytes = 4096u * (i + 1);
            list.push_back(p);
        }
    }
    // Start-up as the program does it: entry's first enumeration, then the frame.
    static void start(int count) {
        snapshotOf(count);
        monitorState.firstRow = 1;
        monitorState.lastRow = VISIBLE_ROWS;
        enumerateProcesses();
        drawFirstFrame();
        createStateLock();
    }
    static void window(int first, int last) {
        monitorState.firstRow = first;
        monitorState.lastRow = last;
    }
    static bool rowBlank(int s) {
        const int t = 16 * s + 25;
        for (int y = t; y < t + 8; ++y) {
            for (int x = 80; x <= 775; ++x) {
                if (surface::pixel(x, y) != colourBackground) return false;
            }
        }
        for (int y = 16 * s + 21; y <= 16 * s + 34; ++y) {
            for (int x = 20; x <= 34; ++x) {
                if (surface::pixel(x, y) != colourBackground) return false;
            }
        }
        return true;
    }
    static bool rowHasText(int s) {
        const int t = 16 * s + 25;
        for (int y = t; y < t + 8; ++y) {
            for (int x = 80; x <= 775; ++x) {
                if (surface::pixel(x, y) == colourBlack) return true;
            }
        }
        return false;
    }
};

TEST_F(SamplingLoop, StartUpWindowFollowsTheCount) {
    start(12);
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 12);
    EXPECT_EQ(monitorState.screenHeight, 584);
    EXPECT_TRUE(rowHasText(12));
    EXPECT_FALSE(rowHasText(13));
    EXPECT_EQ(markedPid.size(), 13u);
    EXPECT_EQ(processTable[3].ramKB, 12);  // the first pass sampled every row

    resetMonitorState();
    surface::reset();
    start(200);
    EXPECT_EQ(monitorState.lastRow, 30);
    EXPECT_TRUE(rowHasText(30));
}

TEST_F(SamplingLoop, ClockIsMeasuredBeforeTheWindowOpens) {
    fakeos::state().cyclesPerSecond = 3000000000u;
    snapshotOf(3);
    enumerateProcesses();
    drawFirstFrame();
    EXPECT_GT(monitorState.cpuClockGHz, 2.9f);
    EXPECT_TRUE(surface::isOpen());
}

// Measuring reports each row and the window draws it at once: when the
// next process is queried, the rows before it already show their new
// figures in the framebuffer, the rows after it not yet, and none of it
// has reached the window, since the whole pass is one screen batch.
TEST_F(SamplingLoop, EachRowIsDrawnRightAfterItsSampleInsideTheBatch) {
    start(3);
    monitorState.shownCount = 3;
    for (int s = 1; s <= 3; ++s) fillBox(80, 16 * s + 25, 775, 16 * s + 32, colourBackground);
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(SURFACE_WIDTH) * SURFACE_HEIGHT);
    int first = 0, last = 0;
    surface::takeChangedLines(shown.data(), first, last);  // the window is up to date

    std::vector<std::string> seen;
    fakeos::state().onQueryProcess = [&](std::int32_t pid) {
        int a = 0, b = 0;
        const bool copied = surface::takeChangedLines(shown.data(), a, b);
        std::string rows;
        for (int s = 1; s <= 3; ++s) rows += rowHasText(s) ? "x" : ".";
        seen.push_back(std::to_string(pid) + " " + rows + (copied ? " shown" : " held"));
    };
    runSamplingCycle();
    fakeos::state().onQueryProcess = nullptr;
    EXPECT_EQ(seen, (std::vector<std::string>{"100 ... held", "101 x.. held", "102 xx. held"}));
    // The batch's end brings all three rows to the window together.
    EXPECT_TRUE(rowHasText(3));
    ASSERT_TRUE(surface::takeChangedLines(shown.data(), first, last));
    EXPECT_LE(first, 16 * 1 + 25);
    EXPECT_GE(last, 16 * 3 + 32);
}

TEST_F(SamplingLoop, GrowthWithinThirtyRowsWidensTheWindow) {
    start(25);
    snapshotOf(27);
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 27);
    EXPECT_EQ(monitorState.shownCount, 27);
    EXPECT_TRUE(rowHasText(27));
    EXPECT_EQ(markedPid.size(), 28u);
}

TEST_F(SamplingLoop, GrowthPastThirtyKeepsAShortWindow) {
    start(28);
    snapshotOf(33);
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 28);
}

TEST_F(SamplingLoop, ShrinkBelowTheWindowBlanksEmptiedRows) {
    start(25);
    monitorState.shownCount = 25;
    snapshotOf(22);
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 22);
    for (int s = 23; s <= 30; ++s) EXPECT_TRUE(rowBlank(s)) << s;
    EXPECT_TRUE(rowHasText(22));
}

TEST_F(SamplingLoop, ShrinkWithAScrolledWindowMovesUpOneRowPerCycle) {
    start(40);
    monitorState.shownCount = 40;
    window(11, 40);
    snapshotOf(38);
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 10);
    EXPECT_EQ(monitorState.lastRow, 39);
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 9);
    EXPECT_EQ(monitorState.lastRow, 38);
    for (int s = 1; s <= 30; ++s) EXPECT_TRUE(rowHasText(s)) << s;
}

TEST_F(SamplingLoop, DeepShrinkTakesTwoCycles) {
    start(35);
    monitorState.shownCount = 35;
    window(6, 35);
    snapshotOf(20);
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 5);
    EXPECT_EQ(monitorState.lastRow, 34);
    EXPECT_TRUE(rowHasText(17));  // old pictures stay for now
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 20);
    for (int s = 21; s <= 30; ++s) EXPECT_TRUE(rowBlank(s)) << s;
}

TEST_F(SamplingLoop, FailedSnapshotEmptiesTheListUntilItFits) {
    start(25);
    monitorState.shownCount = 25;
    fakeos::state().snapshotFails = true;
    runSamplingCycle();
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 0);
    for (int s = 1; s <= 30; ++s) EXPECT_TRUE(rowBlank(s)) << s;

    fakeos::state().snapshotFails = false;
    snapshotOf(40);
    runSamplingCycle();
    EXPECT_EQ(monitorState.lastRow, 0);  // too many to fit: stays empty
    snapshotOf(30);
    runSamplingCycle();
    EXPECT_EQ(monitorState.lastRow, 30);
    EXPECT_TRUE(rowHasText(30));
}

TEST_F(SamplingLoop, PausesAfterACycle) {
    start(3);
    fakeos::state().pauses.clear();
    pauseAfterCycle();
    EXPECT_EQ(fakeos::state().pauses, (std::vector<std::int64_t>{800}));

    // While a session runs: 5 s + 400 ms more, in 50 ms steps.
    monitorState.logState = LOG_RUNNING;
    monitorState.durationText = "5";
    fakeos::state().pauses.clear();
    pauseAfterCycle();
    const auto& p = fakeos::state().pauses;
    ASSERT_EQ(p.size(), 1u + 108u);
    std::int64_t total = 0;
    for (std::size_t i = 1; i < p.size(); ++i) total += p[i];
    EXPECT_EQ(total, 5400);
}

TEST_F(SamplingLoop, KeyEndsTheLongPause) {
    start(3);
    monitorState.logState = LOG_RUNNING;  // the long pause is taken only while a session runs
    fakeos::state().pauses.clear();
    int steps = 0;
    fakeos::state().onPause = [&](std::int64_t) {
        if (++steps == 3) surface::pushKey("x");
    };
    keyInterruptiblePause(10000);
    EXPECT_EQ(fakeos::state().pauses.size(), 3u);
    // The rest below 50 ms is one plain pause; a key does not shorten it.
    fakeos::state().pauses.clear();
    surface::pushKey("y");
    keyInterruptiblePause(30);
    EXPECT_EQ(fakeos::state().pauses, (std::vector<std::int64_t>{30}));
}

// The session takes its own keys between passes, and its read clears the
// key indication too: a Space it takes before the loop looks leaves nothing
// for the loop to see. The long pause still ends once the session is over,
// whichever of the two sees the Space first and at whatever step it comes.
TEST_F(SamplingLoop, LongPauseEndsWhenTheSessionIsOver) {
    start(3);
    for (const int moment : {1, 2, 17, 150}) {
        for (const bool sessionReadsFirst : {true, false}) {
            monitorState.logState = LOG_RUNNING;
            monitorState.durationText = "10";
            fakeos::state().pauses.clear();
            int steps = 0;
            fakeos::state().onPause = [&](std::int64_t ms) {
                if (ms != 50) return;
                ++steps;
                if (steps == moment) {
                    surface::pushKey(" ");
                    if (sessionReadsFirst) {
                        EXPECT_EQ(readKey(), " ");  // the session's read after its pass
                    }
                } else if (steps == moment + 1) {
                    monitorState.logState = LOG_IDLE;  // file closed, session over
                }
            };
            pauseAfterCycle();
            fakeos::state().onPause = nullptr;
            // The 800 ms, then the steps up to the one after which the loop
            // first finds the Space or the session's end.
            const std::size_t expected = 1u + static_cast<std::size_t>(moment) + (sessionReadsFirst ? 1u : 0u);
            EXPECT_EQ(fakeos::state().pauses.size(), expected)
                << "Space at step " << moment << (sessionReadsFirst ? ", taken by the session" : ", seen by the loop");
            readKey();
        }
    }
}

// The same with a real session on its own thread: the Space comes in just
// before the session's read, as it does when the user presses it while the
// session pauses between passes.
TEST_F(SamplingLoop, LongPauseEndsSoonAfterASessionStoppedBySpace) {
    start(3);
    monitorState.shownCount = 3;
    monitorState.logState = LOG_IDLE;
    monitorState.durationText = "60";
    monitorState.intervalText = "20";
    monitorState.logFileName = ::testing::TempDir() + "space_stop_log.txt";
    markedPid[2] = processTable[2].pid;
    std::thread::id sessionThread;
    std::atomic<int> sessionPauses{0};
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::state().realTime = true;
        fakeos::state().onPause = [&](std::int64_t) {
            if (std::this_thread::get_id() != sessionThread) return;
            if (++sessionPauses == 60) surface::pushKey(" ");  // the loop is in its long pause by then
        };
    }
    std::atomic<bool> loopPaused{false};
    std::atomic<bool> sessionOver{false};
    std::thread session([&] {
        {
            std::lock_guard<std::recursive_mutex> g(fakeos::lock());
            sessionThread = std::this_thread::get_id();
        }
        runLogSessionBesideLoop();
        sessionOver = true;
    });
    std::thread loop([&] {
        while (monitorState.logState != LOG_RUNNING) std::this_thread::yield();
        pauseAfterCycle();
        loopPaused = true;
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!sessionOver && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(sessionOver) << "the session did not end on its Space";
    const auto ended = std::chrono::steady_clock::now();
    while (!loopPaused && std::chrono::steady_clock::now() < ended + std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool endedWithTheSession = loopPaused;
    if (!endedWithTheSession) surface::pushKey("x");  // free the pause rather than wait out 60 s
    session.join();
    loop.join();
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::state().onPause = nullptr;
    }
    EXPECT_TRUE(endedWithTheSession) << "the loop slept on after the session was over";
}

// A session started from the window with an empty duration field writes
// its default "4" into durationText while the loop, done with its 800 ms,
// reads that text to size its long pause. The two run side by side here
// with nothing else ordering them, so the thread sanitizer sees the two
// accesses; the program's own hand-over has to order them.
TEST_F(SamplingLoop, LoopReadsTheDurationWhileTheSessionPutsInItsDefault) {
    start(3);
    monitorState.shownCount = 3;
    monitorState.logState = LOG_IDLE;
    monitorState.durationText.clear();
    monitorState.intervalText = "20";
    monitorState.logFileName = ::testing::TempDir() + "default_duration_log.txt";
    static thread_local bool onLoopThread = false;
    std::atomic<bool> loopInLongPause{false};
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::state().realTime = true;
        fakeos::state().onPause = [&](std::int64_t ms) {
            if (onLoopThread && ms == 50) loopInLongPause = true;
        };
        fakeos::state().pauses.clear();
    }
    const auto waitUntil = [](const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return done();
    };
    std::thread loop([] {
        onLoopThread = true;
        pauseAfterCycle();
    });
    // The loop is in its 800 ms when the session begins.
    const bool loopPausing = waitUntil([] {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        return !fakeos::state().pauses.empty();
    });
    std::thread session(runLogSessionBesideLoop);
    const bool sized = waitUntil([&] { return loopInLongPause.load(); });
    surface::pushKey(" ");  // ends the session, and with it the loop's pause
    session.join();
    loop.join();
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::state().onPause = nullptr;
    }
    EXPECT_TRUE(loopPausing);
    EXPECT_TRUE(sized) << "the loop never went into its long pause";
    EXPECT_EQ(monitorState.durationText, "4");
    EXPECT_EQ(monitorState.logState, LOG_IDLE);
}

TEST_F(SamplingLoop, UnreadableDurationsGiveBoundedPauses) {
    start(3);
    monitorState.logState = LOG_RUNNING;
    for (const char* text : {"", "abc", "-7", "nan", "1e400"}) {
        monitorState.durationText = text;
        fakeos::state().pauses.clear();
        surface::pushKey("k");  // a key waiting ends any long pause at once
        pauseAfterCycle();
        EXPECT_LE(fakeos::state().pauses.size(), 2u) << text;
    }
}

TEST_F(SamplingLoop, QuitRequestEndsTheLoopAfterItsCycle) {
    snapshotOf(5);
    enumerateProcesses();
    drawFirstFrame();
    int cycles = 0;
    fakeos::state().onPause = [&](std::int64_t ms) {
        if (ms == 800 && ++cycles == 2) monitorState.quitState = QUIT_REQUESTED;
    };
    const int before = fakeos::state().snapshotCalls;
    try {
        runSamplingLoop();
        FAIL() << "the loop returned";
    } catch (const fakeos::ExitCalled& e) {
        EXPECT_EQ(e.status, 0);
    }
    EXPECT_EQ(fakeos::state().snapshotCalls - before, 2);
    EXPECT_EQ(monitorState.quitState, QUIT_LOOP_ENDED);
}

TEST_F(SamplingLoop, LogSessionAndCyclesNeverOverlap) {
    start(10);
    monitorState.shownCount = 10;
    monitorState.logState = LOG_IDLE;
    monitorState.durationText = "1";
    monitorState.intervalText = "40";
    monitorState.logFileName = ::testing::TempDir() + "overlap_log.txt";
    markedPid[2] = processTable[2].pid;
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::state().realTime = true;
    }

    // Every pause the session takes looks at how many snapshots were taken:
    // a cycle running meanwhile would have taken more.
    std::atomic<bool> sessionDone{false};
    std::vector<int> seen;
    std::thread::id sessionThread;
    std::mutex seenLock;
    fakeos::state().onPause = [&](std::int64_t) {
        if (std::this_thread::get_id() != sessionThread) return;
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        std::lock_guard<std::mutex> s(seenLock);
        seen.push_back(fakeos::state().snapshotCalls);
    };
    std::thread cycles([&] {
        while (!sessionDone) {
            runSamplingCycle();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a cycle may be under way
    {
        std::lock_guard<std::mutex> s(seenLock);
        sessionThread = std::this_thread::get_id();
    }
    runLogSessionBesideLoop();
    sessionDone = true;
    cycles.join();
    fakeos::state().onPause = nullptr;

    EXPECT_EQ(monitorState.logState, LOG_IDLE);
    ASSERT_GE(seen.size(), 10u);
    for (int calls : seen) EXPECT_EQ(calls, seen.front());
}

}  // namespace
