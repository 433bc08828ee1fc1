// Ending a process: right press on a row with "q" as the oldest waiting key.
#include "input_fixture.h"

namespace {

using inputtest::InputTest;
using Terminate = InputTest;
using std::vector;

constexpr unsigned YES_NO_QUESTION = 0x24;

TEST_F(Terminate, YesEndsTheProcessUnderTheLockAndPauses) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {6};
    surface::pushKey("q");
    pressAt(300, rowTop(4) + 6, 2);
    alsoAtEachPause([this](std::int64_t ms) {
        // The whole attempt, its pause included, holds the list still.
        if (ms == 500) {
            EXPECT_FALSE(stateLockFree());
        }
        if (ms == 80) {
            EXPECT_TRUE(stateLockFree());
        }
    });
    inputTurn();
    const fakeos::State& os = fakeos::state();
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Soll  \"p4.exe\"  wirklich beendet werden?");
    EXPECT_EQ(os.messageBoxes[0].caption, "Prozess beenden");
    EXPECT_EQ(os.messageBoxes[0].type, YES_NO_QUESTION);
    EXPECT_EQ(os.terminated, (vector<std::int32_t>{1004}));
    EXPECT_EQ(pauses(), (vector<std::int64_t>{500, 80}));
    // The table is the sampling loop's: the row stays until it enumerates.
    EXPECT_EQ(processTable[4].pid, 1004);
}

TEST_F(Terminate, NoLeavesTheProcessWithoutAPause) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {7};
    surface::pushKey("q");
    pressAt(300, rowTop(1), 2);
    inputTurn();
    EXPECT_EQ(fakeos::state().messageBoxes.size(), 1u);
    EXPECT_TRUE(fakeos::state().terminated.empty());
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80}));
}

TEST_F(Terminate, RefusalShowsTheErrorBox) {
    openWith(12);
    fakeos::state().terminateRefused = {1002};
    fakeos::state().messageBoxAnswers = {6, 1};
    surface::pushKey("q");
    monitorState.firstRow = 1;
    pressAt(763, rowTop(2) + 11, 2);
    inputTurn();
    const fakeos::State& os = fakeos::state();
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[1].text, "Zugriff vom System verweigert.");
    EXPECT_EQ(os.messageBoxes[1].caption, "Beenden des Prozesses nicht m\xF6glich");
    EXPECT_EQ(os.messageBoxes[1].type, 0x10u);
    EXPECT_TRUE(os.terminated.empty());
    EXPECT_EQ(pauses(), (vector<std::int64_t>{500, 80}));
}

// The shown process ended while the question was open, and its PID went
// to another process: "Ja" must not end that one. The user sees the boxes
// of a failed attempt.
TEST_F(Terminate, APidReusedWhileTheBoxIsOpenIsNotEnded) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {6, 1};
    fakeos::state().onMessageBox = [](const fakeos::MessageBoxCall& box) {
        if (box.caption != "Prozess beenden") return;
        fakeos::Process* shown = fakeos::find(1004);
        ASSERT_NE(shown, nullptr);
        *shown = fakeos::Process{1004, "unsaved.exe"};  // p4.exe ended, its PID reused
        shown->startedAt = 7;
    };
    surface::pushKey("q");
    pressAt(300, rowTop(4) + 6, 2);
    inputTurn();
    const fakeos::State& os = fakeos::state();
    EXPECT_TRUE(os.terminated.empty());
    ASSERT_NE(fakeos::find(1004), nullptr);
    EXPECT_EQ(fakeos::find(1004)->name, "unsaved.exe");
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[0].text, "Soll  \"p4.exe\"  wirklich beendet werden?");
    EXPECT_EQ(os.messageBoxes[1].text, "Zugriff vom System verweigert.");
    EXPECT_EQ(pauses(), (vector<std::int64_t>{500, 80}));
}

// The table is up to a cycle old: by the click, the shown process had
// ended and its PID belonged to another one. Same boxes, nothing ended.
TEST_F(Terminate, APidReusedBeforeTheClickIsNotEnded) {
    openWith(12);
    *fakeos::find(1003) = fakeos::Process{1003, "other.exe"};
    fakeos::state().messageBoxAnswers = {6, 1};
    surface::pushKey("q");
    pressAt(300, rowTop(3), 2);
    inputTurn();
    const fakeos::State& os = fakeos::state();
    EXPECT_TRUE(os.terminated.empty());
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[0].text, "Soll  \"p3.exe\"  wirklich beendet werden?");
    EXPECT_EQ(os.messageBoxes[1].caption, "Beenden des Prozesses nicht m\xF6glich");
    EXPECT_EQ(pauses(), (vector<std::int64_t>{500, 80}));
}

// A process of the same name that started after the table was taken is
// not the one shown, although it has its PID.
TEST_F(Terminate, ASameNamedProcessStartedAfterTheTableIsNotEnded) {
    openWith(12);
    fakeos::state().startClock = 40;
    enumerateProcesses();  // the table as of clock 40
    fakeos::Process* shown = fakeos::find(1006);
    shown->startedAt = 41;  // p6.exe ended; a new p6.exe got its PID
    fakeos::state().messageBoxAnswers = {6, 1};
    surface::pushKey("q");
    pressAt(300, rowTop(6), 2);
    inputTurn();
    const fakeos::State& os = fakeos::state();
    EXPECT_TRUE(os.terminated.empty());
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[1].text, "Zugriff vom System verweigert.");

    // Started by the time the table was taken: that is the one shown.
    shown->startedAt = 40;
    fakeos::state().messageBoxAnswers = {6};
    surface::pushKey("q");
    inputTurn();
    EXPECT_EQ(os.terminated, (vector<std::int32_t>{1006}));
    EXPECT_EQ(os.messageBoxes.size(), 3u);
}

// Where start times cannot be compared with the listing's time (Windows),
// the start the row's last sample read tells a process of the same name
// that got the PID from the one shown.
TEST_F(Terminate, ASameNamedProcessOfAnotherStartIsNotEnded) {
    openWith(12);
    fakeos::state().startClock = 40;
    enumerateProcesses();
    fakeos::Process* shown = fakeos::find(1005);
    shown->startedAt = 20;
    processTable[5].started = 30;  // the row was sampled from a p5.exe of start 30
    fakeos::state().messageBoxAnswers = {6, 1};
    surface::pushKey("q");
    pressAt(300, rowTop(5), 2);
    inputTurn();
    const fakeos::State& os = fakeos::state();
    EXPECT_TRUE(os.terminated.empty());
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[1].text, "Zugriff vom System verweigert.");

    processTable[5].started = 20;
    fakeos::state().messageBoxAnswers = {6};
    surface::pushKey("q");
    inputTurn();
    EXPECT_EQ(os.terminated, (vector<std::int32_t>{1005}));
}

// The process is held from before the question until its end was tried,
// and let go on every way out.
TEST_F(Terminate, TheShownProcessIsHeldWhileTheQuestionIsOpen) {
    openWith(12);
    fakeos::state().terminateRefused = {1008};
    vector<int> heldAtBox;
    fakeos::state().onMessageBox = [&](const fakeos::MessageBoxCall&) { heldAtBox.push_back(fakeos::openHolds()); };
    const auto attempt = [&](int row, vector<int> answers) {
        fakeos::state().messageBoxAnswers = std::move(answers);
        surface::pushKey("q");
        pressAt(300, rowTop(row), 2);
        inputTurn();
        release(2);
        EXPECT_EQ(fakeos::openHolds(), 0) << "row " << row;
    };
    attempt(7, {7});     // No
    attempt(7, {6});     // Yes: ended
    attempt(8, {6, 1});  // Yes, but the system refuses: let go before the error box
    EXPECT_EQ(heldAtBox, (vector<int>{1, 1, 1, 0}));
    EXPECT_EQ(fakeos::state().terminated, (vector<std::int32_t>{1007}));
    EXPECT_EQ(fakeos::state().holds.size(), 3u);
}

TEST_F(Terminate, OnlyTheOldestKeyCountsAndItIsUsedUpEitherWay) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {7};
    surface::pushKey("Q");  // upper case does not count
    surface::pushKey("q");
    pressAt(300, rowTop(3) + 1, 2);
    inputTurn();  // "Q" taken by the row, nothing asked; the key step takes "q"
    EXPECT_TRUE(fakeos::state().messageBoxes.empty());
    EXPECT_EQ(readKey(), "");
    surface::pushKey("a");
    surface::pushKey("q");
    surface::pushKey("q");
    inputTurn();  // "a" is the oldest: nothing; the key step takes one "q"
    EXPECT_TRUE(fakeos::state().messageBoxes.empty());
    inputTurn();  // the last "q" is the oldest now
    EXPECT_EQ(fakeos::state().messageBoxes.size(), 1u);
}

TEST_F(Terminate, HeldGestureAsksAgainAfterYes) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {6, 6};
    for (int i = 0; i < 4; ++i) surface::pushKey("q");  // "q" held: the key repeats
    pressAt(300, rowTop(5), 2);
    inputTurn();
    inputTurn();
    // The second attempt finds the process gone and says so.
    const fakeos::State& os = fakeos::state();
    EXPECT_EQ(os.terminated, (vector<std::int32_t>{1005}));
    ASSERT_EQ(os.messageBoxes.size(), 3u);
    EXPECT_EQ(os.messageBoxes[1].caption, "Prozess beenden");
    EXPECT_EQ(os.messageBoxes[2].caption, "Beenden des Prozesses nicht m\xF6glich");
    EXPECT_EQ(pauses(), (vector<std::int64_t>{500, 80, 500, 80}));
}

TEST_F(Terminate, OutsideTheRowsOrColumnsNothingHappensAndNoKeyIsTaken) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {6};
    const vector<std::pair<int, int>> places = {
        {80, rowTop(1)},       // marker side
        {764, rowTop(1)},      // scroll side
        {300, rowTop(13)},     // below the last process
        {300, rowTop(2) - 2},  // between two bands
    };
    for (const auto& [x, y] : places) {
        // Had the press taken the "q", the key step would have taken the "z".
        surface::pushKey("q");
        surface::pushKey("z");
        pressAt(x, y, 2);
        inputTurn();
        EXPECT_EQ(readKey(), "z") << "at (" << x << ", " << y << ")";
        release(2);
    }
    EXPECT_TRUE(fakeos::state().messageBoxes.empty());
    EXPECT_TRUE(fakeos::state().terminated.empty());
}

TEST_F(Terminate, BothButtonsDoNotCount) {
    openWith(12);
    fakeos::state().messageBoxAnswers = {6};
    surface::pushKey("q");
    pressAt(300, rowTop(1), 2);
    press(1);
    inputTurn();
    EXPECT_TRUE(fakeos::state().messageBoxes.empty());
}

}  // namespace
