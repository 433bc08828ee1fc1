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
    EXPECT_EQ(pauses(), (vector<std::int64_t>{5, 5, 5, 5, 80}));
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

TEST_F(WindowDrag, OldEventsAreReplayedFirst) {
    openWith(12);
    const auto [x0, y0] = windowPosition();
    // An earlier marker press and release that nobody read from the queue.
    pressAt(27, rowTop(1) + 2);
    inputTurn();
    release();
    ASSERT_EQ(markedPid[1], 1001);
    pointAt(200, 8);
    press();
    // The old press sets the flag and the old release ends the first drag at
    // once, before the pointer moved the window.
    inputTurn();
    EXPECT_EQ(windowPosition(), std::make_pair(x0, y0));
    // Still held on the title bar: the next turn drags for real.
    atPauses({
        [] {},
        [&] { handTo(x0 + 205, y0 + 18); },
        [this] { release(); },
    });
    inputTurn();
    EXPECT_EQ(windowPosition(), std::make_pair(x0 + 5, y0 + 10));
}

}  // namespace
