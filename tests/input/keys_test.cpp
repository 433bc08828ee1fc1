// The key table: list navigation, Escape, F1 and Alt+F4; one key per turn.
#include "input_fixture.h"

namespace {

using inputtest::InputTest;
using Keys = InputTest;
using std::vector;

// "\xFF" and the scan code of a key without a character. Split in two
// literals, since "\xFFG" would read as one hexadecimal escape.
// clang-format off
const std::string HOME          = "\xFF" "G";
const std::string END           = "\xFF" "O";
const std::string PAGE_UP       = "\xFF" "I";
const std::string PAGE_DOWN     = "\xFF" "Q";
const std::string F1            = "\xFF" ";";
const std::string CLOSE_REQUEST = "\xFF" "k";
// clang-format on

void expectWindow(int first, int last) {
    EXPECT_EQ(monitorState.firstRow, first);
    EXPECT_EQ(monitorState.lastRow, last);
}

bool endsTheProgram() {
    try {
        inputTurn();
    } catch (const fakeos::ExitCalled& e) {
        EXPECT_EQ(e.status, 0);
        EXPECT_EQ(monitorState.quitState, QUIT_REQUESTED);
        return true;
    }
    return false;
}

TEST_F(Keys, HomeAndEndJumpToTheEndsOfTheList) {
    openWith(45);
    surface::pushKey(END);
    inputTurn();
    expectWindow(16, 45);
    EXPECT_EQ(surface::pixel(780, 40), colourAccent);  // redrawn: up arrow active
    surface::pushKey(HOME);
    inputTurn();
    expectWindow(1, 30);
}

TEST_F(Keys, HomeAndEndOnAShortListShowItAll) {
    openWith(12);
    monitorState.lastRow = 5;  // a window left short by an earlier cycle
    surface::pushKey(END);
    inputTurn();
    expectWindow(1, 12);
    monitorState.lastRow = 7;
    surface::pushKey(HOME);
    inputTurn();
    expectWindow(1, 12);
    // An empty table: the window becomes 1..0 and nothing is listed.
    monitorState.processCount = 0;
    surface::pushKey(END);
    inputTurn();
    expectWindow(1, 0);
}

TEST_F(Keys, PageKeysMoveOneRowWithinTheBounds) {
    openWith(32);
    surface::pushKey(PAGE_UP);
    inputTurn();
    expectWindow(1, 30);
    for (int i = 0; i < 3; ++i) {
        surface::pushKey(PAGE_DOWN);
        inputTurn();
    }
    expectWindow(3, 32);
    surface::pushKey(PAGE_UP);
    inputTurn();
    expectWindow(2, 31);
}

TEST_F(Keys, OneKeyPerTurnAndUnknownKeysAreUsedUp) {
    openWith(45);
    for (const std::string& key : {CLOSE_REQUEST, std::string("a"), END}) surface::pushKey(key);
    inputTurn();
    inputTurn();
    expectWindow(1, 30);
    inputTurn();
    expectWindow(16, 45);
    EXPECT_EQ(readKey(), "");
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80, 80, 80}));
}

TEST_F(Keys, EscapeEndsTheProgram) {
    openWith(3);
    surface::pushKey("\x1B");
    EXPECT_TRUE(endsTheProgram());
}

TEST_F(Keys, AltF4EndsTheProgramOnlyWithBothKeysHeld) {
    openWith(3);
    surface::setKeyHeld(0x38, true);
    EXPECT_FALSE(endsTheProgram());
    surface::setKeyHeld(0x38, false);
    surface::setKeyHeld(0x3E, true);
    EXPECT_FALSE(endsTheProgram());
    surface::setKeyHeld(0x38, true);
    EXPECT_TRUE(endsTheProgram());
}

TEST_F(Keys, F1ShowsTheCreditsBox) {
    openWith(3);
    surface::pushKey(F1);
    inputTurn();
    ASSERT_EQ(fakeos::state().messageBoxes.size(), 1u);
    const fakeos::MessageBoxCall& box = fakeos::state().messageBoxes[0];
    EXPECT_EQ(box.text, "Corvane v1.0.1\r\n\r\n    by Terbalix   ");
    EXPECT_EQ(box.caption, "Credits");
    EXPECT_EQ(box.type, 0u);
    EXPECT_TRUE(stateLockFree());
}

}  // namespace
