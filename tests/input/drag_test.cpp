// Moving the window by its title bar through the event queue's desktop deltas.
#include "input_fixture.h"

namespace {

using inputtest::InputTest;
using std::vector;

class WindowDrag : public InputTest {
  protected:
    // The user's hand on the desktop: the pointer keeps its place on the
    // window only as far as the window follows.
    void handTo(int desktopX, int desktopY) {
        int wx = 0, wy = 0;
        getWindowPosition(wx, wy);
        surface::mouseMoved(desktopX - wx, desktopY - wy, desktopX, desktopY);
    }
    static std::pair<int, int> windowPosition() {
        int wx = 0, wy = 0;
        getWindowPosition(wx, wy);
        return {wx, wy};
    }
};

TEST_F(WindowDrag, MovesByTheDesktopDeltasUntilTheRelease) {
    openWith(3);
    const auto [x0, y0] = windowPosition();
    handTo(x0 + 400, y0 + 8);  // a move before the press: not part of the drag
    press();
    alsoAtEachPause([this](std::int64_t ms) {
        if (ms == 5) {
            EXPECT_TRUE(stateLockFree());
        }
    });
    atPauses({
        [&] { handTo(x0 + 410, y0 + 13); },
        [&] { handTo(x0 + 430, y0 + 13); },
        [this] { release(); },
    });
    inputTurn();
    EXPECT_EQ(windowPosition(), std::make_pair(x0 + 30, y0 + 5));
    EXPECT_EQ(pauses(), (vector<std::int64_t>{5, 5, 5, 80}));  // the move before the press is not looked at
}

TEST_F(WindowDrag, WaitsForEventsAndEndsOnlyWithARelease) {
    openWith(3);
    const auto [x0, y0] = windowPosition();
    pointAt(300, 5);
    drainEvents();
    press();
    atPauses({
        [] {},  // nothing new yet: the drag keeps waiting
        [] {},
        [&] { handTo(x0 + 290, y0 + 5); },
        [this] { release(); },
    });
    inputTurn();
    EXPECT_EQ(windowPosition(), std::make_pair(x0 - 10, y0));
}

// Presses, moves and releases that waited in the queue since the last drag
// were made before this press: they do not move the window.
TEST_F(WindowDrag, EventsBeforeThePressDoNotCount) {
    openWith(12);
    const auto [x0, y0] = windowPosition();
    // An earlier marker press and release that nobody read from the queue.
    pressAt(27, rowTop(1) + 2);
    inputTurn();
    pointAt(40, rowTop(1) + 30);  // moved while still held
    release();
    ASSERT_EQ(markedPid[1], 1001);
    pointAt(200, 8);
    press();
    atPauses({
        [] {},
        [&] { handTo(x0 + 205, y0 + 18); },
        [this] { release(); },
    });
    inputTurn();
    EXPECT_EQ(windowPosition(), std::make_pair(x0 + 5, y0 + 10));
}

// A thumb drag leaves its press, moves and release in the queue; a later
// press on the title bar and a small move move the window by that move.
TEST_F(WindowDrag, AThumbDragBeforeDoesNotMoveTheWindow) {
    openWith(45);
    const auto [x0, y0] = windowPosition();
    pressAt(785, 100);
    atPauses({
        [this] { pointAt(785, 140); },
        [this] { pointAt(786, 190); },
        [this] { release(); },
    });
    inputTurn();
    ASSERT_GT(monitorState.firstRow, 1);  // the thumb drag scrolled
    ASSERT_EQ(windowPosition(), std::make_pair(x0, y0));

    pressAt(300, 8);
    handTo(x0 + 303, y0 + 10);
    atPauses({[this] { release(); }});
    inputTurn();
    EXPECT_EQ(windowPosition(), std::make_pair(x0 + 3, y0 + 2));
}

// When more events followed the press than the queue keeps, the press
// itself was dropped: everything left came after it and counts.
TEST_F(WindowDrag, AllWaitingEventsCountWhenThePressWasPushedOut) {
    openWith(3);
    const auto [x0, y0] = windowPosition();
    pointAt(300, 8);
    press();
    for (int i = 1; i <= 130; ++i) handTo(x0 + 300 + i, y0 + 8);
    atPauses({[this] { release(); }});
    inputTurn();
    // The queue keeps the newest 127 moves of one pixel each.
    EXPECT_EQ(windowPosition(), std::make_pair(x0 + 127, y0));
}

}  // namespace
