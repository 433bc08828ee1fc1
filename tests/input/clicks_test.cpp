// Left presses by region: markers with their crosses, the title-bar boxes,
// presses that must do nothing, and the turn's own rhythm and end.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "input/input_loop.h"
#include "input_fixture.h"

namespace {

using inputtest::InputTest;
using Clicks = InputTest;
using std::vector;

TEST_F(Clicks, MarkerPressMarksTheRowAndDrawsTheBlackCross) {
    openWith(12);
    const int top = rowTop(3);
    pressAt(27, top + 5);
    alsoAtEachPause([this](std::int64_t) { EXPECT_TRUE(stateLockFree()); });
    EXPECT_TRUE(inputTurn());
    EXPECT_EQ(markedPid[3], 1003);
    EXPECT_EQ(markedPid[2], 0);
    EXPECT_EQ(markedPid[4], 0);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{120, 80}));
    // Corner to corner of the box (20, 16r+21)-(34, 16r+34).
    for (const auto& [x, y] : vector<std::pair<int, int>>{{20, top - 1}, {34, top + 12}, {34, top - 1}, {20, top + 12}})
        EXPECT_EQ(surface::pixel(x, y), colourBlack) << x << "," << y;
    for (int x = 21; x <= 33; ++x) {
        int black = 0;
        for (int y = top; y <= top + 11; ++y) black += surface::pixel(x, y) == colourBlack;
        EXPECT_GE(black, 1) << "column " << x << " of the cross";
    }
}

TEST_F(Clicks, SecondPressUnmarksWithTheWhiteInnerCross) {
    openWith(12);
    const int top = rowTop(5);
    pressAt(21, top);
    inputTurn();  // held: the next turn toggles again
    ASSERT_EQ(markedPid[5], 1005);
    inputTurn();
    EXPECT_EQ(markedPid[5], 0);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{120, 80, 120, 80}));
    for (const auto& [x, y] : vector<std::pair<int, int>>{{21, top}, {33, top + 11}, {33, top}, {21, top + 11}})
        EXPECT_EQ(surface::pixel(x, y), colourWhite) << x << "," << y;
    // The outline of the box stays black.
    for (const auto& [x, y] : vector<std::pair<int, int>>{{20, top - 1}, {34, top + 12}, {27, top - 1}, {20, top + 5}})
        EXPECT_EQ(surface::pixel(x, y), colourBlack) << x << "," << y;
}

// A process above a marked one ended: the marked process moved up a row and
// the row now shows another process, without a cross. A press on it marks
// what it shows, as the empty box promises; a second press unmarks it.
TEST_F(Clicks, PressOnARowWhoseMarkMovedAwayMarksWhatTheRowShows) {
    openWith(12);
    pressAt(27, rowTop(5) + 4);
    inputTurn();
    release();
    ASSERT_EQ(markedPid[5], 1005);
    {
        auto& list = fakeos::state().processes;
        list.erase(list.begin() + 3);  // p4.exe ends
    }
    enumerateProcesses();
    redrawList();
    ASSERT_EQ(processTable[5].pid, 1006);
    const int top = rowTop(5);
    // Black inside the box, off its outline: the cross.
    const auto crossShown = [top] {
        int black = 0;
        for (int y = top + 1; y <= top + 10; ++y)
            for (int x = 22; x <= 32; ++x) black += surface::pixel(x, y) == colourBlack;
        return black >= 8;
    };
    EXPECT_FALSE(crossShown());

    pressAt(27, top + 4);
    inputTurn();
    release();
    EXPECT_EQ(markedPid[5], 1006);
    EXPECT_TRUE(crossShown());

    pressAt(27, top + 4);
    inputTurn();
    EXPECT_EQ(markedPid[5], 0);
    EXPECT_FALSE(crossShown());
}

TEST_F(Clicks, MarkerFollowsTheScrolledWindowAndTheBandEdges) {
    openWith(45);
    monitorState.firstRow = 11;
    monitorState.lastRow = 40;
    pressAt(33, rowTop(2) + 11);  // last pixel of row 2's band
    inputTurn();
    EXPECT_EQ(markedPid[12], 1012);
    release();
    // Between two bands: nothing, but the pause all the same.
    pressAt(27, rowTop(3) - 1);
    fakeos::state().pauses.clear();
    inputTurn();
    EXPECT_EQ(std::count_if(markedPid.begin(), markedPid.end(), [](int p) { return p != 0; }), 1);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{120, 80}));
}

TEST_F(Clicks, MarkerColumnBelowTheLastRowAndOnTheTitleBarDoesNothing) {
    openWith(12);
    int wx0 = 0, wy0 = 0;
    getWindowPosition(wx0, wy0);
    pressAt(27, rowTop(13) + 3);  // the row after the last process
    inputTurn();
    release();
    pressAt(25, 8);  // title bar, but the marker column comes first
    pointAt(30, 10);
    pointAt(27, 8);
    inputTurn();
    for (int pid : markedPid) EXPECT_EQ(pid, 0);
    int wx = 0, wy = 0;
    getWindowPosition(wx, wy);
    EXPECT_EQ(wx, wx0);
    EXPECT_EQ(wy, wy0);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{120, 80, 120, 80}));
}

TEST_F(Clicks, CloseBoxEndsTheProgramWithStatusZero) {
    openWith(3);
    pressAt(790, 8);
    try {
        inputTurn();
        FAIL() << "the close box did not end the program";
    } catch (const fakeos::ExitCalled& e) {
        EXPECT_EQ(e.status, 0);
    }
    EXPECT_EQ(monitorState.quitState, QUIT_REQUESTED);
}

TEST_F(Clicks, MinimiseBoxMinimisesTheWindowByItsTitle) {
    openWith(3);
    pressAt(775, 8);
    EXPECT_TRUE(inputTurn());
    EXPECT_EQ(fakeos::state().minimised, (vector<std::string>{"Corvane"}));
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80}));
}

TEST_F(Clicks, OtherButtonsAndForeignPointersClickNothing) {
    openWith(12);
    pressAt(27, rowTop(1) + 2, 2);  // right button on a marker: not a left press
    inputTurn();
    release(2);
    pressAt(27, rowTop(1) + 2, 1);
    press(2);  // both held
    inputTurn();
    release(2);
    surface::pointerLeft();  // left still held, pointer outside
    inputTurn();
    pointAt(27, rowTop(1) + 2);
    surface::setActive(false);  // window inactive
    inputTurn();
    for (int pid : markedPid) EXPECT_EQ(pid, 0);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80, 80, 80, 80}));
}

TEST_F(Clicks, TurnReturnsFalseOnlyAfterTheLoopEnded) {
    openWith(3);
    EXPECT_TRUE(inputTurn());
    monitorState.quitState = QUIT_LOOP_ENDED;
    EXPECT_FALSE(inputTurn());
    fakeos::state().pauses.clear();
    inputLoop();  // one turn, then back
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80}));
}

TEST_F(Clicks, LoopOnItsThreadRestsWhileIdleTurnsWhileAKeyIsHeldAndEndsWhenWoken) {
    openWith(3);
    std::atomic<int> turns{0};
    alsoAtEachPause([&](std::int64_t) {
        ++turns;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    std::thread input(inputLoop);
    // Nothing held, nothing new: after a turn or two the thread rests.
    while (turns < 1) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int idleTurns = turns;
    EXPECT_LE(idleTurns, 2);
    // A held key keeps the 80 ms rhythm going (the pauses are instant here).
    surface::setKeyHeld(0x1D, true);
    while (turns < idleTurns + 20) std::this_thread::yield();
    surface::setKeyHeld(0x1D, false);
    // The sampling loop's shutdown ends the rest at once.
    monitorState.quitState = QUIT_LOOP_ENDED;
    wakeInputWaiter();
    input.join();
    EXPECT_GE(turns, idleTurns + 20);
}

}  // namespace
