// Scrolling the list: arrows held down, the wheel, and dragging the thumb.
#include "input_fixture.h"

namespace {

using inputtest::InputTest;
using Scrolling = InputTest;
using std::vector;

void expectWindow(int first, int last) {
    EXPECT_EQ(monitorState.firstRow, first);
    EXPECT_EQ(monitorState.lastRow, last);
}

TEST_F(Scrolling, HeldArrowsScrollOneRowPerTurnAndStopAtTheEnds) {
    openWith(45);
    alsoAtEachPause([this](std::int64_t) { EXPECT_TRUE(stateLockFree()); });
    pressAt(785, 44);  // up arrow, already at the top
    inputTurn();
    expectWindow(1, 30);
    release();
    pressAt(785, 508);  // down arrow
    inputTurn();
    expectWindow(2, 31);
    // The list was redrawn: the up arrow now has its active blue fill.
    EXPECT_EQ(surface::pixel(780, 40), colourAccent);
    for (int turn = 0; turn < 20; ++turn) inputTurn();
    expectWindow(16, 45);
    EXPECT_EQ(surface::pixel(780, 513), colourBackground);  // down arrow inactive again
    release();
    pressAt(779, 37);
    for (int turn = 0; turn < 3; ++turn) inputTurn();
    expectWindow(13, 42);
    EXPECT_EQ(pauses().size(), 25u);
}

TEST_F(Scrolling, WheelMovesOneRowHoweverFarItTurned) {
    openWith(45);
    surface::mouseWheel(-1);
    inputTurn();
    expectWindow(2, 31);
    for (int notch = 0; notch < 3; ++notch) surface::mouseWheel(-1);
    inputTurn();
    expectWindow(3, 32);
    inputTurn();  // nothing new on the wheel
    expectWindow(3, 32);
    surface::mouseWheel(+1);
    inputTurn();
    expectWindow(2, 31);
}

TEST_F(Scrolling, WheelPositionIsKeptAtTheEndsAndOnlyWhenThePointerIsOurs) {
    openWith(45);
    monitorState.firstRow = 16;
    monitorState.lastRow = 45;
    surface::mouseWheel(-1);  // already at the end: refused, but seen
    inputTurn();
    expectWindow(16, 45);
    surface::mouseWheel(+1);  // back to 0, which is "up" against the -1 seen
    inputTurn();
    expectWindow(15, 44);
    surface::pointerLeft();
    surface::mouseWheel(+1);
    inputTurn();  // pointer outside: no wheel step, the position not taken
    expectWindow(15, 44);
    pointAt(400, 300);
    inputTurn();
    expectWindow(14, 43);
}

TEST_F(Scrolling, WheelWaitsWhileTheLeftButtonIsDownButNotForBothButtons) {
    openWith(45);
    surface::mouseWheel(-1);
    pressAt(400, 300, 1);  // a left press outside every region
    inputTurn();
    expectWindow(1, 30);
    press(2);  // left and right together: no click, but the wheel step
    inputTurn();
    expectWindow(2, 31);
}

TEST_F(Scrolling, WheelDoesNothingWhileTheListFits) {
    openWith(30);
    surface::mouseWheel(-1);
    inputTurn();
    surface::mouseWheel(-1);
    inputTurn();
    expectWindow(1, 30);
}

TEST_F(Scrolling, ThumbDragMovesOneRowPerStepAndFollowsThePointer) {
    openWith(45);  // thumb 52..352, one row per 10 pixels
    ASSERT_EQ(monitorState.thumbTop, 52);
    ASSERT_EQ(monitorState.thumbLength, 300);
    alsoAtEachPause([this](std::int64_t) { EXPECT_TRUE(stateLockFree()); });
    pressAt(785, 100);
    atPauses({
        [this] { pointAt(785, 109); },  // less than a step
        [this] { pointAt(785, 110); },  // one step down
        [this] { pointAt(785, 140); },  // three steps, one row
        [this] { pointAt(785, 131); },
        [this] { pointAt(785, 130); },  // one step up from the new anchor
        [this] { release(); },
    });
    inputTurn();
    expectWindow(2, 31);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{5, 5, 5, 5, 5, 5, 5, 80}));
}

TEST_F(Scrolling, ThumbDragEndsWhenThePointerLeavesAndRespectsTheEnds) {
    openWith(45);
    pressAt(785, 60);
    atPauses({
        [this] { pointAt(785, 40); },  // up, but already at the top
        [] { surface::pointerLeft(); },
    });
    inputTurn();
    expectWindow(1, 30);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{5, 5, 80}));
}

TEST_F(Scrolling, PressOnTheTrackBesideTheThumbDoesNothing) {
    openWith(45);
    pressAt(785, 353);  // just below the thumb's last row
    inputTurn();
    pressAt(785, 352);  // its last row: a drag, ended by the release
    atPauses({[this] { release(); }});
    inputTurn();
    expectWindow(1, 30);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80, 5, 5, 80}));
}

}  // namespace
