// The whole window program on its threads: the sampling loop, the input
// thread it starts, and a user who marks, scrolls, types and logs meanwhile;
// then the shutdown handshake. Real time, so the thread sanitizer sees the
// threads interleave as they do in the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "app/windowed.h"
#include "input/input_loop.h"
#include "probe/process_table.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "screen/window_memory.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

using namespace std::chrono_literals;

void pause(std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        pause(2ms);
    }
    return true;
}

// A hand on the in-memory window that watches the screen, as a user does:
// a press is held until its effect shows, so however slowly the threads run
// (under a sanitizer, say) nothing is missed and nothing repeats.
void pointAt(int x, int y) {
    int wx = 0, wy = 0;
    getWindowPosition(wx, wy);
    surface::mouseMoved(x, y, wx + x, wy + y);
}
::testing::AssertionResult holdUntil(int x, int y, const std::function<bool()>& shown) {
    pointAt(x, y);
    surface::mouseButton(1, true);
    const bool ok = waitFor(shown);
    surface::mouseButton(1, false);
    pause(100ms);
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no effect of the press at (" << x << ", " << y << ")";
}
::testing::AssertionResult keyUntil(const std::string& code, const std::function<bool()>& shown) {
    surface::pushKey(code);
    if (waitFor(shown)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no effect of a key";
}

bool is(int x, int y, std::uint32_t colour) { return surface::pixel(x, y) == colour; }
// Something black inside the marker box of visible row r: its cross.
bool crossed(int r) {
    int black = 0;
    for (int y = 16 * r + 23; y <= 16 * r + 32; ++y)
        for (int x = 22; x <= 32; ++x) black += is(x, y, colourBlack);
    return black >= 8;
}
// Some ink in the glyph cell at (x, y).
bool glyphShown(int x, int y) {
    for (int dy = 0; dy < 8; ++dy)
        for (int dx = 0; dx < 8; ++dx)
            if (is(x + dx, y + dy, colourBlack)) return true;
    return false;
}
// With 45 processes the thumb's top is 10 (firstRow - 1) + 52, at most 200:
// whether a track pixel at y is blue tells how far the list is scrolled.
// A redraw paints the track white before the thumb, so only a blue pixel is
// proof; "not blue" counts only beside a blue one.
bool thumbCovers(int y) { return is(785, y, colourAccent); }

TEST(InputThreads, UserSessionBesideTheSamplingLoopThenShutdown) {
    fakeos::reset();
    resetMonitorState();
    surface::reset();
    memorywindow::resetControls();
    resetInputState();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvane-input-threads";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::State& os = fakeos::state();
        os.realTime = true;
        os.memory = {40, 4ull << 30, 2ull << 30};
        for (int i = 1; i <= 45; ++i) {
            fakeos::Process p;
            p.pid = 500 + i;
            p.name = "task" + std::to_string(i) + ".exe";
            p.workingSetBytes = 8192u * static_cast<unsigned>(i);
            os.processes.push_back(p);
        }
    }
    monitorState.firstRow = 1;
    monitorState.lastRow = VISIBLE_ROWS;
    monitorState.logFileName = (dir / "session.txt").string();
    enumerateProcesses();

    std::atomic<int> exitStatus{-1};
    std::thread program([&] {
        try {
            runWindowedMode();
        } catch (const fakeos::ExitCalled& e) {
            exitStatus = e.status;
        }
    });
    ASSERT_TRUE(waitFor([] { return monitorState.logState == LOG_IDLE; }));
    ASSERT_TRUE(waitFor([] { return is(780, 513, colourAccent); }));  // the list is drawn

    // Mark row 2, scroll in every way, mark again on the last page.
    ASSERT_TRUE(holdUntil(27, 16 * 2 + 27, [] { return crossed(2); }));
    ASSERT_TRUE(
        keyUntil("\xFF"
                 "O",
                 [] { return thumbCovers(300) && !thumbCovers(196); }));  // 16..45
    surface::mouseWheel(+1);
    ASSERT_TRUE(waitFor([] { return thumbCovers(196); }));             // 15..44
    ASSERT_TRUE(holdUntil(785, 44, [] { return thumbCovers(186); }));  // 14..43
    ASSERT_TRUE(
        keyUntil("\xFF"
                 "I",
                 [] { return thumbCovers(176); }));  // 13..42
    ASSERT_TRUE(
        keyUntil("\xFF"
                 "Q",
                 [] { return thumbCovers(186) && !thumbCovers(176); }));  // 14..43
    ASSERT_TRUE(holdUntil(27, 16 * 3 + 27, [] { return crossed(3); }));   // table index 16
    // Duration 1 s, interval 200 ms, then START!.
    ASSERT_TRUE(holdUntil(200, 540, [] { return is(168, 534, colourFocus); }));
    ASSERT_TRUE(keyUntil("1", [] { return glyphShown(180, 539); }));
    ASSERT_TRUE(keyUntil("\r", [] { return is(168, 534, colourBlack); }));
    ASSERT_TRUE(holdUntil(400, 540, [] { return is(376, 534, colourFocus); }));
    for (const char* k : {"2", "0", "0"}) surface::pushKey(k);
    ASSERT_TRUE(keyUntil("\r", [] { return is(376, 534, colourBlack); }));
    ASSERT_TRUE(holdUntil(700, 543, [] { return is(0, 300, colourLogging); }));
    ASSERT_TRUE(waitFor([] { return is(0, 300, colourWhite); }));
    pause(1000ms);  // a cycle or so after the session

    // What the close box does, less ending the process: the loop sees it,
    // ends the input thread and exits itself.
    monitorState.quitState = QUIT_REQUESTED;
    program.join();
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(monitorState.quitState, QUIT_LOOP_ENDED);

    EXPECT_EQ(monitorState.firstRow, 14);
    EXPECT_EQ(monitorState.lastRow, 43);
    EXPECT_EQ(markedPid[2], 502);
    EXPECT_EQ(markedPid[16], 516);
    EXPECT_EQ(monitorState.durationText, "1");
    EXPECT_EQ(monitorState.intervalText, "200");
    std::string log;
    {
        std::ifstream in(dir / "session.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        log = text.str();
    }  // closed: Windows removes no open file
    auto count = [&](const std::string& word) {
        int n = 0;
        for (auto at = log.find(word); at != std::string::npos; at = log.find(word, at + 1)) ++n;
        return n;
    };
    // One second at 200 ms: six passes, five written, for each marked row.
    EXPECT_EQ(count("task2.exe"), 5);
    EXPECT_EQ(count("task16.exe"), 5);
    EXPECT_EQ(count("task3.exe"), 0);

    surface::reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
